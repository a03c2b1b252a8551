#include "panels/controls/CDeviceKeyButtonUI.h"

#include "ui/toolkit/CRenderEngine.h"
#include "ui/toolkit/CResourceManager.h"

#include <QMouseEvent>
#include <QPainter>

namespace quaro {

CDeviceKeyButtonUI::CDeviceKeyButtonUI(QWidget* parent) : CButtonUI(parent) {}

bool CDeviceKeyButtonUI::SetLight(uint32_t colour, uint32_t intensity, bool on) {
    if (colour == m_lightColour && intensity == m_lightIntensity && on == m_lightOn) {
        return false;
    }
    m_lightColour = colour;
    m_lightIntensity = intensity;
    m_lightOn = on;
    update();
    return true;
}

void CDeviceKeyButtonUI::SetKeySetImageHidden(bool hidden) {
    if (m_keySetImageHidden != hidden) {
        m_keySetImageHidden = hidden;
        update();
    }
}

QColor CDeviceKeyButtonUI::ShownColour(uint32_t colour, uint32_t intensity) {
    const uint32_t level = std::min<uint32_t>(intensity, 255);
    const int red = static_cast<int>((colour & 0xFF) * level / 255);
    const int blue = static_cast<int>(((colour >> 8) & 0xFF) * level / 255);
    const int green = static_cast<int>(((colour >> 16) & 0xFF) * level / 255);
    return QColor(red, green, blue);
}

bool CDeviceKeyButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"lightimage") {
        m_lightImage = value;
    } else if (name == u"keysetimage") {
        m_keySetImage = value;
    } else if (name == u"gmnametextcolor") {
        // Accepted for the layouts' sake; the key's text colour comes from the style sheet.
    } else {
        return CButtonUI::SetAttribute(name, value);
    }
    return true;
}

void CDeviceKeyButtonUI::paintEvent(QPaintEvent* event) {
    (void)event;
    QPainter painter(this);
    PaintBackground(painter);
    PaintStatusImage(painter);
    if (m_lightOn && !m_lightImage.isEmpty()) {
        // The light image is a mask: its shape shown in the key's colour.
        QPixmap mask =
            GetResourceManager() != nullptr
                ? GetResourceManager()->GetImage(ImageDescription::Parse(m_lightImage).file)
                : QPixmap();
        if (!mask.isNull()) {
            QImage tinted = mask.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                .toImage()
                                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            QPainter tint(&tinted);
            tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
            tint.fillRect(tinted.rect(), ShownColour(m_lightColour, m_lightIntensity));
            tint.end();
            painter.drawImage(rect(), tinted);
        }
    }
    if (!m_keySetImageHidden && !m_keySetImage.isEmpty()) {
        CRenderEngine::DrawImageString(painter, rect(), m_keySetImage, GetResourceManager());
    }
    if (!text().isEmpty()) {
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
}

void CDeviceKeyButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled() && rect().contains(event->pos())) {
        setDown(true);
        SendNotify(notify::kDbClick);
    }
    event->accept();
}

}  // namespace quaro
