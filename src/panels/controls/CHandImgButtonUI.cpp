#include "panels/controls/CHandImgButtonUI.h"

#include "ui/toolkit/CRenderEngine.h"
#include "ui/toolkit/WindowImplBase.h"

#include <QMouseEvent>
#include <QPainter>

namespace quaro {

CHandImgButtonUI::CHandImgButtonUI(QWidget* parent) : CButtonUI(parent) {
    setMouseTracking(true);
    SetHoverNotify(true);
}

int CHandImgButtonUI::Scaled(int pixels) const {
    const auto* window = dynamic_cast<WindowImplBase*>(GetManager());
    return window != nullptr ? pixels * window->GetDpi() / 96 : pixels;
}

QRect CHandImgButtonUI::DeleteArea() const {
    return QRect(width() - Scaled(30), height() - Scaled(29), Scaled(20), Scaled(20));
}

bool CHandImgButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"handimage") {
        m_handImage = value;
    } else if (name == u"deletenormalimage") {
        m_deleteNormalImage = value;
        m_deleteImage = value;
    } else if (name == u"deletehotimage") {
        m_deleteHotImage = value;
    } else {
        return CButtonUI::SetAttribute(name, value);
    }
    return true;
}

void CHandImgButtonUI::paintEvent(QPaintEvent* event) {
    (void)event;
    QPainter painter(this);
    PaintBackground(painter);
    PaintStatusImage(painter);
    if (!m_handImage.isEmpty()) {
        CRenderEngine::DrawImageString(painter, rect(), m_handImage, GetResourceManager());
    }
    if (underMouse() && !m_deleteDisabled && !m_deleteImage.isEmpty()) {
        CRenderEngine::DrawImageString(painter, DeleteArea(), m_deleteImage, GetResourceManager());
    }
}

void CHandImgButtonUI::mouseMoveEvent(QMouseEvent* event) {
    m_deleteImage = DeleteArea().contains(event->pos()) ? m_deleteHotImage : m_deleteNormalImage;
    update();
    event->accept();
}

void CHandImgButtonUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled() && rect().contains(event->pos())) {
        setDown(true);
        m_captured = true;
    }
    event->accept();
}

void CHandImgButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void CHandImgButtonUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_captured) {
        event->accept();
        return;
    }
    const QPoint point = event->pos();
    setDown(false);
    m_captured = false;
    if (DeleteArea().contains(point) && !m_deleteDisabled) {
        SendNotify(notify::kClickHandDelete);
    } else if (rect().contains(point)) {
        SendNotify(notify::kClick);
    }
    event->accept();
}

}  // namespace quaro
