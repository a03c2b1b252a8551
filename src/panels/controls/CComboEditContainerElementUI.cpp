#include "panels/controls/CComboEditContainerElementUI.h"

#include "ui/toolkit/CDialogBuilder.h"
#include "ui/toolkit/CResourceManager.h"
#include "ui/toolkit/CWindowWnd.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace quaro {

CComboEditContainerElementUI::CComboEditContainerElementUI(QWidget* parent)
    : CListContainerElementUI(parent) {
    setFocusPolicy(Qt::ClickFocus);
}

void CComboEditContainerElementUI::DoInit() {
    if (CWindowWnd* window = GetManager()) {
        window->AddNotifier(this, this);
    }
    RemoveAll();
    if (GetResourceManager() == nullptr) {
        return;
    }
    CDialogBuilder builder;
    if (CControlUI* content = builder.Create(QLatin1String(kFragment), *GetResourceManager())) {
        Add(content);
        InitControls(content);
    }
}

void CComboEditContainerElementUI::Notify(TNotifyUI& msg) {
    if (msg.sType == notify::kSelectChanged) {
        m_changed = true;
    } else if (msg.sType == notify::kReturn && msg.pSender != nullptr &&
               msg.pSender->GetName() == u"delay_edit") {
        m_changed = true;
    }
}

bool CComboEditContainerElementUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"normalimage" || name == u"hotimage" || name == u"selectedimage") {
        return true;  // this row draws its state from the style sheet only
    }
    return CListContainerElementUI::SetAttribute(name, value);
}

void CComboEditContainerElementUI::mousePressEvent(QMouseEvent* event) {
    if (!m_mouseInput) {
        event->ignore();  // the owning list takes it
        return;
    }
    if (event->button() == Qt::LeftButton && isEnabled()) {
        if (event->modifiers() & Qt::ControlModifier) {
            SetSelectedState(!IsSelected());
        } else {
            Select(true, true);
        }
    }
    event->accept();
}

void CComboEditContainerElementUI::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_mouseInput) {
        event->ignore();
        return;
    }
    if (event->button() == Qt::LeftButton && isEnabled()) {
        SendNotify(notify::kItemClick);
    }
    event->accept();
}

void CComboEditContainerElementUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!m_mouseInput) {
        event->ignore();
        return;
    }
    Activate();
    event->accept();
}

void CComboEditContainerElementUI::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && isEnabled()) {
        Activate();
        SendNotify(notify::kReturn);
        event->accept();
        return;
    }
    CListContainerElementUI::keyPressEvent(event);
}

void CComboEditContainerElementUI::contextMenuEvent(QContextMenuEvent* event) {
    if (m_contextMenu) {
        SendNotify(notify::kMenu, static_cast<WPARAM>(event->globalPos().x()),
                   event->globalPos().y());
    }
    event->accept();
}

}  // namespace quaro
