#include "panels/controls/CCloudShareListItemUI.h"

#include <QContextMenuEvent>
#include <QPainter>

namespace quaro {

CCloudShareListItemUI::CCloudShareListItemUI(QWidget* parent) : CListContainerElementUI(parent) {}

bool CCloudShareListItemUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"menu") {
        m_contextMenu = ParseBool(value);
        return true;
    }
    return CListContainerElementUI::SetAttribute(name, value);
}

void CCloudShareListItemUI::paintEvent(QPaintEvent* event) {
    CListContainerElementUI::paintEvent(event);
    if (IsHot() && !IsSelected()) {
        const CListUI* owner = GetOwner();
        QPainter painter(this);
        painter.setPen(
            QPen(ToQColor(owner != nullptr ? owner->GetHotBorderColor() : 0xFF3A7BFF), 1));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CCloudShareListItemUI::contextMenuEvent(QContextMenuEvent* event) {
    if (m_contextMenu) {
        SendNotify(notify::kMenu, static_cast<WPARAM>(event->globalPos().x()),
                   event->globalPos().y());
    }
    event->accept();
}

}  // namespace quaro
