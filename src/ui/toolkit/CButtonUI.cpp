#include "ui/toolkit/CButtonUI.h"

#include "ui/toolkit/CRenderEngine.h"
#include "ui/toolkit/CResourceManager.h"

#include <QIcon>

namespace quaro {

CButtonUI::CButtonUI(QWidget* parent) : CControlOn<QPushButton>(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    QObject::connect(this, &QPushButton::clicked, this, [this] { SendNotify(notify::kClick); });
}

void CButtonUI::Activate() {
    if (isEnabled()) {
        click();
    }
}

void CButtonUI::enterEvent(QEnterEvent* event) {
    CControlOn<QPushButton>::enterEvent(event);
    if (m_hoverNotify && isEnabled()) {
        SendNotify(notify::kMsEnter);
    }
}

void CButtonUI::leaveEvent(QEvent* event) {
    CControlOn<QPushButton>::leaveEvent(event);
    if (m_hoverNotify && isEnabled()) {
        SendNotify(notify::kMsLeave);
    }
}

void CButtonUI::SetNormalImage(const QString& image) {
    m_normalImage = image;
    update();
}

bool CButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"normalimage") {
        SetNormalImage(value);
    } else if (name == u"hotimage") {
        m_hotImage = value;
    } else if (name == u"pushedimage") {
        m_pushedImage = value;
    } else if (name == u"disabledimage") {
        m_disabledImage = value;
    } else if (name == u"icon") {
        if (CResourceManager* resources = GetResourceManager()) {
            setIcon(QIcon(resources->GetFilePath(value)));
        } else {
            setIcon(QIcon(value));
        }
    } else if (name == u"iconsize") {
        setIconSize(ParseSize(value));
    } else {
        return CControlUI::SetAttribute(name, value);
    }
    return true;
}

bool CButtonUI::PaintStatusImage(QPainter& painter) {
    QString image = m_normalImage;
    if (!isEnabled() && !m_disabledImage.isEmpty()) {
        image = m_disabledImage;
    } else if (isDown() && !m_pushedImage.isEmpty()) {
        image = m_pushedImage;
    } else if (underMouse() && !m_hotImage.isEmpty()) {
        image = m_hotImage;
    }
    if (image.isEmpty()) {
        return false;
    }
    return CRenderEngine::DrawImageString(painter, rect(), image, GetResourceManager());
}

}  // namespace quaro
