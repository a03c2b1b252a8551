#include "panels/controls/CWndUI.h"

namespace quaro {

CWndUI::CWndUI(QWidget* parent) : CControlOn<QWidget>(parent) {}

void CWndUI::Attach(QWidget* window) {
    m_window = window;
    Place();
}

void CWndUI::Place() {
    if (!m_window) {
        return;
    }
    if (m_window->isWindow()) {
        // Not a child of ours: screen coordinates, and never taking the focus.
        m_window->setAttribute(Qt::WA_ShowWithoutActivating);
        m_window->setGeometry(QRect(mapToGlobal(QPoint(0, 0)), size()));
    } else if (m_window->parentWidget() == this) {
        m_window->setGeometry(rect());
    } else {
        m_window->setGeometry(
            QRect(mapTo(m_window->parentWidget()->window(), QPoint(0, 0)), size()));
    }
    m_window->setVisible(isVisible());
}

void CWndUI::moveEvent(QMoveEvent* event) {
    CControlOn<QWidget>::moveEvent(event);
    Place();
}

void CWndUI::resizeEvent(QResizeEvent* event) {
    CControlOn<QWidget>::resizeEvent(event);
    Place();
}

void CWndUI::showEvent(QShowEvent* event) {
    CControlOn<QWidget>::showEvent(event);
    Place();
}

void CWndUI::hideEvent(QHideEvent* event) {
    CControlOn<QWidget>::hideEvent(event);
    if (m_window) {
        m_window->hide();
    }
}

}  // namespace quaro
