#pragma once

#include "ui/toolkit/CButtonUI.h"

#include <cstdint>

namespace quaro {

// A key (or button, or light zone) on a device picture. Over its status image it shows its
// light, tinted with the key's colour, and unless hidden its key-set image.
class CDeviceKeyButtonUI : public CButtonUI {
public:
    explicit CDeviceKeyButtonUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("DeviceKeyButton"); }

    // colour: red + blue * 256 + green * 65536, as the device pages pack light entries. Returns
    // whether the key shows something else now; only then is it repainted (the pages set every
    // light on every frame, most of them unchanged).
    bool SetLight(uint32_t colour, uint32_t intensity, bool on);
    uint32_t GetLightColour() const { return m_lightColour; }
    uint32_t GetLightIntensity() const { return m_lightIntensity; }
    bool IsLightOn() const { return m_lightOn; }
    void SetKeySetImageHidden(bool hidden);
    bool IsKeySetImageHidden() const { return m_keySetImageHidden; }
    void SetBandSelected(bool selected) { m_bandSelected = selected; }
    bool IsBandSelected() const { return m_bandSelected; }

    // The colour a packed light colour shows at an intensity (0..255 scales it).
    static QColor ShownColour(uint32_t colour, uint32_t intensity);

    bool SetAttribute(const QString& name, const QString& value) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString m_lightImage;
    QString m_keySetImage;
    bool m_keySetImageHidden = true;
    bool m_lightOn = false;
    uint32_t m_lightColour = 255;
    uint32_t m_lightIntensity = 200;
    bool m_bandSelected = false;
};

}  // namespace quaro
