#pragma once

#include "panels/devicetab/InnerControl.h"
#include "panels/light/LightEnableRules.h"
#include "profiles/ProfileRecords.h"
#include "ui/toolkit/CButtonUI.h"
#include "ui/toolkit/CColorPaletteUI.h"
#include "ui/toolkit/CComboUI.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/CEditUI.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CSliderUI.h"

#include <QString>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quaro {

// The lighting panel of a device page. It shows the light setting its page hands it and keeps
// what the user chose in its controls; the window's light routes read those choices and talk
// to the device. The panel itself only fills the effect lists and enables, disables and hides
// its groups by device kind and effect. Every operation tolerates a layout without the control
// it needs: setters do nothing, getters answer the stated default.
class CLightControlUI : public CHorizontalLayoutUI {
public:
    static constexpr int kEffectItemHeight = 30;

    explicit CLightControlUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("LightControl"); }

    // The kind whose enable rule applies (1 keyboard, 2 mouse, 3 mouse pad, 4 and 7 headset).
    void SetDeviceKind(int kind) { m_deviceKind = kind; }
    int GetDeviceKind() const { return m_deviceKind; }
    // Set while two or more devices are connected: only then is "deng_same_mode" offered.
    void SetMultiDevice(bool multiDevice);
    bool IsMultiDevice() const { return m_multiDevice; }

    // The built-in effects: one row per name (a language id), hidden where its flag is false
    // so that every row keeps the index of its effect number. Also the sliders' maximums.
    void FillEffects(const std::vector<std::string>& names, const std::vector<bool>& visible,
                     int brightnessMax, int speedMax);
    // The device's custom effects, by the names the user gave them.
    void FillCustomEffects(const std::vector<std::string>& names);

    // first: effect, brightness, speed, direction from the low byte up; second: multicolour,
    // red, green, blue. Showing a setting raises no notification, so the routes never take
    // what the page already holds for a change of the user's.
    void ShowLightSetting(uint32_t first, uint32_t second);
    void ShowLightSetting(const LightSetting& setting);

    // Selects effect row n without a notification and applies the enable rule.
    void SelectEffect(int n);
    // The effect row chosen, or -1 without the effect list.
    int GetEffect();
    void SelectCustomEffect(int n);
    int GetCustomEffect();

    void SetBrightness(int value);
    int GetBrightness();
    void SetSpeed(int value);
    int GetSpeed();

    // The colour edits' texts, as typed; empty without the edit.
    void SetRed(const QString& text);
    QString GetRed();
    void SetGreen(const QString& text);
    QString GetGreen();
    void SetBlue(const QString& text);
    QString GetBlue();

    // 0xAARRGGBB. Sets the palette and the preview.
    void SetColour(uint32_t argb);
    // The palette's colour, or 0xFF000000 without a palette.
    uint32_t GetColour();
    // The colour of swatch "color_option_" n, or 0 without that swatch.
    uint32_t PresetColour(int n);
    void SetPreviewColour(uint32_t argb);

    // A change raises the option's "selectchanged" unless notify is false.
    void SetMulticolour(bool multicolour, bool notify = true);
    bool GetMulticolour();
    // Non-zero selects "deng_FXL_check" (direction 1), zero "deng_FXR_check"; silent.
    void SetDirection(int direction);
    // 1 while "deng_FXL_check" is selected, else 0.
    int GetDirection();

    // Enables and hides the groups for the device kind and effect n.
    void ApplyEnableRule(int effect);

private:
    CControlUI* Group(LightGroup group);
    CEditUI* ChannelEdit(int channel);
    static void Enable(CControlUI* control, bool enabled);
    static void Show(CControlUI* control, bool visible);

    InnerControl<CComboUI> m_effectCombo;
    InnerControl<CComboUI> m_customCombo;
    InnerControl<CSliderUI> m_brightnessSlider;
    InnerControl<CSliderUI> m_speedSlider;
    InnerControl<CColorPaletteUI> m_palette;
    InnerControl<CButtonUI> m_preview;
    std::array<InnerControl<CEditUI>, 3> m_channelEdits;
    InnerControl<COptionUI> m_multicolour;
    InnerControl<COptionUI> m_directionLeft;
    InnerControl<COptionUI> m_directionRight;
    InnerControl<CButtonUI> m_sameMode;
    std::array<InnerControl<CControlUI>, kLightGroupCount> m_groups;
    InnerControl<CControlUI> m_customGroup;
    int m_deviceKind = 0;
    bool m_multiDevice = false;
};

}  // namespace quaro
