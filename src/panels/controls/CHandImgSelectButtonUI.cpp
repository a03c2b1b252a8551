#include "panels/controls/CHandImgSelectButtonUI.h"

#include "ui/toolkit/CRenderEngine.h"
#include "ui/toolkit/CResourceManager.h"

#include <QMouseEvent>
#include <QPainter>

namespace quaro {
namespace {

struct CursorName {
    const char* name;
    Qt::CursorShape shape;
};
constexpr CursorName kCursors[] = {
    {"arrow", Qt::ArrowCursor},        {"ibeam", Qt::IBeamCursor},
    {"wait", Qt::WaitCursor},          {"cross", Qt::CrossCursor},
    {"uparrow", Qt::UpArrowCursor},    {"size", Qt::SizeAllCursor},
    {"icon", Qt::ArrowCursor},         {"sizenwse", Qt::SizeFDiagCursor},
    {"sizenesw", Qt::SizeBDiagCursor}, {"sizewe", Qt::SizeHorCursor},
    {"sizens", Qt::SizeVerCursor},     {"sizeall", Qt::SizeAllCursor},
    {"no", Qt::ForbiddenCursor},       {"hand", Qt::PointingHandCursor},
};

}  // namespace

CHandImgSelectButtonUI::CHandImgSelectButtonUI(QWidget* parent) : CButtonUI(parent) {
    SetHoverNotify(true);
}

bool CHandImgSelectButtonUI::LoadHandImage(const QString& file) {
    const QPixmap picture =
        GetResourceManager() != nullptr ? GetResourceManager()->GetImage(file) : QPixmap(file);
    if (picture.isNull()) {
        return false;
    }
    m_handImage = file;
    m_pictureSize = picture.size();
    m_source = QRect(QPoint(0, 0), QPoint(width(), height()));  // right/bottom exclusive
    if (width() < m_pictureSize.width() || height() < m_pictureSize.height()) {
        UpdateImageString();
    } else {
        m_imageString = file;
    }
    update();
    return true;
}

void CHandImgSelectButtonUI::UpdateImageString() {
    m_imageString = QStringLiteral("file='%1' source='%2,%3,%4,%5'")
                        .arg(m_handImage)
                        .arg(m_source.left())
                        .arg(m_source.top())
                        .arg(m_source.right())
                        .arg(m_source.bottom());
}

void CHandImgSelectButtonUI::PanBy(int dx, int dy) {
    // Pointer left: the window moves right while the picture continues; pointer right: it moves
    // left, never past 0, keeping its size. The same vertically.
    if (dx < 0 && m_source.right() < m_pictureSize.width()) {
        m_source.translate(-dx, 0);
    } else if (dx > 0 && m_source.left() > 0) {
        m_source.translate(-std::min(dx, m_source.left()), 0);
    }
    if (dy < 0 && m_source.bottom() < m_pictureSize.height()) {
        m_source.translate(0, -dy);
    } else if (dy > 0 && m_source.top() > 0) {
        m_source.translate(0, -std::min(dy, m_source.top()));
    }
    UpdateImageString();
    update();
}

bool CHandImgSelectButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"handimage") {
        LoadHandImage(value);
    } else if (name == u"cursor") {
        for (const CursorName& cursor : kCursors) {
            if (value == QLatin1String(cursor.name)) {
                setCursor(cursor.shape);
            }
        }
    } else {
        return CButtonUI::SetAttribute(name, value);
    }
    return true;
}

void CHandImgSelectButtonUI::paintEvent(QPaintEvent* event) {
    (void)event;
    QPainter painter(this);
    PaintBackground(painter);
    PaintStatusImage(painter);
    if (!m_imageString.isEmpty()) {
        CRenderEngine::DrawImageString(painter, rect(), m_imageString, GetResourceManager());
    }
}

void CHandImgSelectButtonUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled() && rect().contains(event->pos())) {
        setDown(true);
        m_last = event->pos();
        m_dragging = true;
    }
    event->accept();
}

void CHandImgSelectButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void CHandImgSelectButtonUI::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging) {
        const QPoint delta = event->pos() - m_last;
        m_last = event->pos();
        PanBy(delta.x(), delta.y());
    }
    event->accept();
}

void CHandImgSelectButtonUI::mouseReleaseEvent(QMouseEvent* event) {
    m_dragging = false;
    setDown(false);
    event->accept();
}

}  // namespace quaro
