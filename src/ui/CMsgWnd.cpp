#include "ui/CMsgWnd.h"

#include "platform/Trace.h"
#include "ui/toolkit/CControlUI.h"

#include <QKeyEvent>
#include <QPointer>

namespace quaro {

CMsgWnd::CMsgWnd(CResourceManager& resources, QWidget* owner) : WindowImplBase(resources, owner) {
    setAttribute(Qt::WA_DeleteOnClose);
}

int CMsgWnd::AcceptedScale(int scale) {
    switch (scale) {
        case 48:
        case 72:
        case 96:
        case 120:
        case 144:
        case 168:
        case 192:
            return scale;
        default:
            Trace("MSG_WND DPI SET ERROR");
            return 96;
    }
}

void CMsgWnd::InitWindow() {
    setAttribute(Qt::WA_TranslucentBackground);
    // The answer buttons are reachable from the keyboard; OK comes first in the tab order.
    QWidget* previous = nullptr;
    for (const char* name : {"confirm_btn", "cancel_btn"}) {
        if (CControlUI* button = FindControl(QLatin1String(name))) {
            button->GetWidget()->setFocusPolicy(Qt::StrongFocus);
            if (previous != nullptr) {
                setTabOrder(previous, button->GetWidget());
            }
            previous = button->GetWidget();
        }
    }
}

void CMsgWnd::showEvent(QShowEvent* event) {
    WindowImplBase::showEvent(event);
    activateWindow();
    if (CControlUI* confirm = FindControl(QStringLiteral("confirm_btn"))) {
        confirm->GetWidget()->setFocus(Qt::OtherFocusReason);
    }
}

void CMsgWnd::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            event->accept();
            Close(0);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            event->accept();
            const CControlUI* cancel = FindControl(QStringLiteral("cancel_btn"));
            // The box's own focus child, which does not depend on the desktop activating it.
            const bool cancelFocused = cancel != nullptr && focusWidget() == cancel->GetWidget();
            Close(cancelFocused ? 0 : 1);
            return;
        }
        default:
            WindowImplBase::keyPressEvent(event);
    }
}

void CMsgWnd::Prepare(const QString& title, const QString& text, int scale, bool textIsLanguageId,
                      int buttons) {
    if (!title.isEmpty()) {
        if (CControlUI* caption = FindControl(QStringLiteral("MessageTitle"))) {
            caption->SetText(title);
        }
    }
    if (!text.isEmpty()) {
        if (CControlUI* message = FindControl(QStringLiteral("MessageText"))) {
            message->SetResourceText(textIsLanguageId);
            message->SetText(text);
        }
    }
    SetDpi(AcceptedScale(scale));
    CControlUI* confirm = FindControl(QStringLiteral("confirm_btn"));
    CControlUI* cancel = FindControl(QStringLiteral("cancel_btn"));
    if (buttons == 0) {
        if (cancel != nullptr) {
            cancel->SetVisible(false);
        }
        if (confirm != nullptr) {
            confirm->SetVisible(true);
        }
    } else if (buttons == 1) {
        if (cancel != nullptr) {
            cancel->SetVisible(true);
        }
        if (confirm != nullptr) {
            confirm->SetVisible(true);
        }
    }
}

int CMsgWnd::ShowMessage(CResourceManager& resources, QWidget* owner, const QString& title,
                         const QString& text, int scale, bool textIsLanguageId, int buttons) {
    QPointer<CMsgWnd> box = new CMsgWnd(resources, owner);
    box->Create(QStringLiteral("msgwnd"), Qt::Tool | Qt::FramelessWindowHint);
    box->Prepare(title, text, scale, textIsLanguageId, buttons);
    box->adjustSize();
    box->CenterWindow();
    return box->ShowModal();
}

void CMsgWnd::Notify(TNotifyUI& msg) {
    if (msg.sType != notify::kClick || msg.pSender == nullptr) {
        return;
    }
    const QString name = msg.pSender->GetName();
    if (name.compare(u"closebtn", Qt::CaseInsensitive) == 0 ||
        name.compare(u"cancel_btn", Qt::CaseInsensitive) == 0) {
        Close(0);
    } else if (name.compare(u"confirm_btn", Qt::CaseInsensitive) == 0) {
        Close(1);
    }
}

}  // namespace quaro
