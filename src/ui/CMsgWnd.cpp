#include "ui/CMsgWnd.h"

#include "platform/Trace.h"
#include "ui/toolkit/CControlUI.h"

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
