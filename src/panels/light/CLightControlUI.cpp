#include "panels/light/CLightControlUI.h"

#include "ui/toolkit/CListUI.h"

namespace quaro {
namespace {

// The containers of the groups the enable rule switches, in LightGroup order. The multicolour
// "group" is the option itself.
constexpr std::array<const char*, kLightGroupCount> kGroupNames = {
    "lighteffect_layout", "deng_7color_check", "deng_color_layout", "colorpallet_layout",
    "deng_light_layout",  "deng_speed_layout", "deng_fx_layout",
};
constexpr std::array<const char*, 3> kChannelEditNames = {"deng_edit_R", "deng_edit_G",
                                                          "deng_edit_B"};
constexpr uint32_t kOpaque = 0xFF000000u;

template <std::size_t N>
std::array<InnerControl<CControlUI>, N> GroupLookups(QWidget* owner,
                                                     const std::array<const char*, N>& names) {
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return std::array<InnerControl<CControlUI>, N>{
            InnerControl<CControlUI>(owner, QLatin1String(names[I]))...};
    }
    (std::make_index_sequence<N>{});
}

uint32_t OpaqueColour(int red, int green, int blue) {
    return kOpaque | static_cast<uint32_t>(red) << 16 | static_cast<uint32_t>(green) << 8 |
           static_cast<uint32_t>(blue);
}

}  // namespace

CLightControlUI::CLightControlUI(QWidget* parent)
    : CHorizontalLayoutUI(parent),
      m_effectCombo(this, QStringLiteral("light_combo_modeSelect")),
      m_customCombo(this, QStringLiteral("light_combo_custommodeSelect")),
      m_brightnessSlider(this, QStringLiteral("deng_light_slider")),
      m_speedSlider(this, QStringLiteral("deng_speed_slider")),
      m_palette(this, QStringLiteral("deng_Color_Pallet")),
      m_preview(this, QStringLiteral("deng_colordp_btn")),
      m_channelEdits{InnerControl<CEditUI>(this, QLatin1String(kChannelEditNames[0])),
                     InnerControl<CEditUI>(this, QLatin1String(kChannelEditNames[1])),
                     InnerControl<CEditUI>(this, QLatin1String(kChannelEditNames[2]))},
      m_multicolour(this, QStringLiteral("deng_7color_check")),
      m_directionLeft(this, QStringLiteral("deng_FXL_check")),
      m_directionRight(this, QStringLiteral("deng_FXR_check")),
      m_sameMode(this, QStringLiteral("deng_same_mode")),
      m_groups(GroupLookups(this, kGroupNames)),
      m_customGroup(this, QStringLiteral("lightcustom_layout")) {}

void CLightControlUI::SetMultiDevice(bool multiDevice) {
    m_multiDevice = multiDevice;
    ApplyEnableRule(GetEffect());
}

void CLightControlUI::FillEffects(const std::vector<std::string>& names,
                                  const std::vector<bool>& visible, int brightnessMax,
                                  int speedMax) {
    if (CComboUI* combo = m_effectCombo.Get()) {
        combo->RemoveAll();
        for (std::size_t i = 0; i < names.size(); ++i) {
            auto* item = new CListLabelElementUI;
            item->GetWidget()->setFixedHeight(kEffectItemHeight);
            item->SetResourceManager(GetResourceManager());
            const QString name = QString::fromStdString(names[i]);
            item->SetUserData(name);
            item->SetText(name);
            item->SetResourceText(true);
            combo->Add(item);
            // A name without its flag stays in the list, so later rows keep their effect
            // numbers.
            combo->SetItemVisible(static_cast<int>(i), i < visible.size() && visible[i]);
        }
    }
    if (CSliderUI* slider = m_brightnessSlider.Get()) {
        slider->SetMaxValue(brightnessMax);
    }
    if (CSliderUI* slider = m_speedSlider.Get()) {
        slider->SetMaxValue(speedMax);
    }
}

void CLightControlUI::FillCustomEffects(const std::vector<std::string>& names) {
    CComboUI* combo = m_customCombo.Get();
    if (combo == nullptr) {
        return;
    }
    combo->RemoveAll();
    for (const std::string& name : names) {
        auto* item = new CListLabelElementUI;
        item->GetWidget()->setFixedHeight(kEffectItemHeight);
        item->SetResourceManager(GetResourceManager());
        item->SetUserData(QString::fromStdString(name));
        item->SetText(QString::fromStdString(name));
        combo->Add(item);
    }
}

void CLightControlUI::ShowLightSetting(uint32_t first, uint32_t second) {
    ShowLightSetting(LightSettingFromWords(first, second, 0));
}

void CLightControlUI::ShowLightSetting(const LightSetting& setting) {
    SelectEffect(setting.effect);
    SetBrightness(setting.brightness);
    SetSpeed(setting.speed);
    SetRed(QString::number(setting.red));
    SetGreen(QString::number(setting.green));
    SetBlue(QString::number(setting.blue));
    SetColour(OpaqueColour(setting.red, setting.green, setting.blue));
    SetMulticolour(setting.multiColor != 0, false);
    SetDirection(setting.direction);
    ApplyEnableRule(setting.effect);
}

void CLightControlUI::SelectEffect(int n) {
    if (CComboUI* combo = m_effectCombo.Get()) {
        combo->SelectItem(n, false, false);
    }
    ApplyEnableRule(n);
}

int CLightControlUI::GetEffect() {
    CComboUI* combo = m_effectCombo.Get();
    return combo != nullptr ? combo->GetCurSel() : -1;
}

void CLightControlUI::SelectCustomEffect(int n) {
    if (CComboUI* combo = m_customCombo.Get()) {
        combo->SelectItem(n, false, false);
    }
}

int CLightControlUI::GetCustomEffect() {
    CComboUI* combo = m_customCombo.Get();
    return combo != nullptr ? combo->GetCurSel() : -1;
}

void CLightControlUI::SetBrightness(int value) {
    if (CSliderUI* slider = m_brightnessSlider.Get()) {
        slider->SetValue(value);
    }
}

int CLightControlUI::GetBrightness() {
    CSliderUI* slider = m_brightnessSlider.Get();
    return slider != nullptr ? slider->GetValue() : 0;
}

void CLightControlUI::SetSpeed(int value) {
    if (CSliderUI* slider = m_speedSlider.Get()) {
        slider->SetValue(value);
    }
}

int CLightControlUI::GetSpeed() {
    CSliderUI* slider = m_speedSlider.Get();
    return slider != nullptr ? slider->GetValue() : 0;
}

CEditUI* CLightControlUI::ChannelEdit(int channel) {
    return m_channelEdits[static_cast<std::size_t>(channel)].Get();
}

void CLightControlUI::SetRed(const QString& text) {
    if (CEditUI* edit = ChannelEdit(0)) {
        edit->SetText(text);
    }
}

QString CLightControlUI::GetRed() {
    CEditUI* edit = ChannelEdit(0);
    return edit != nullptr ? edit->GetEditText() : QString();
}

void CLightControlUI::SetGreen(const QString& text) {
    if (CEditUI* edit = ChannelEdit(1)) {
        edit->SetText(text);
    }
}

QString CLightControlUI::GetGreen() {
    CEditUI* edit = ChannelEdit(1);
    return edit != nullptr ? edit->GetEditText() : QString();
}

void CLightControlUI::SetBlue(const QString& text) {
    if (CEditUI* edit = ChannelEdit(2)) {
        edit->SetText(text);
    }
}

QString CLightControlUI::GetBlue() {
    CEditUI* edit = ChannelEdit(2);
    return edit != nullptr ? edit->GetEditText() : QString();
}

void CLightControlUI::SetColour(uint32_t argb) {
    if (CColorPaletteUI* palette = m_palette.Get()) {
        palette->SetSelectColor(argb);
    }
    SetPreviewColour(argb);
}

uint32_t CLightControlUI::GetColour() {
    CColorPaletteUI* palette = m_palette.Get();
    return palette != nullptr ? palette->GetSelectColor() : kOpaque;
}

uint32_t CLightControlUI::PresetColour(int n) {
    const QString name = QStringLiteral("color_option_%1").arg(n);
    for (QWidget* widget : findChildren<QWidget*>(name)) {
        if (CControlUI* swatch = AsControl(widget)) {
            return swatch->GetBkColor();
        }
    }
    return 0;
}

void CLightControlUI::SetPreviewColour(uint32_t argb) {
    if (CButtonUI* preview = m_preview.Get()) {
        preview->SetBkColor(argb);
    }
}

void CLightControlUI::SetMulticolour(bool multicolour, bool notify) {
    if (COptionUI* option = m_multicolour.Get()) {
        option->Selected(multicolour, notify);
    }
}

bool CLightControlUI::GetMulticolour() {
    COptionUI* option = m_multicolour.Get();
    return option != nullptr && option->IsSelected();
}

void CLightControlUI::SetDirection(int direction) {
    COptionUI* left = m_directionLeft.Get();
    COptionUI* right = m_directionRight.Get();
    // Clear before select: in one exclusive group the order decides what stays selected.
    if (direction != 0) {
        if (right != nullptr) {
            right->Selected(false, false);
        }
        if (left != nullptr) {
            left->Selected(true, false);
        }
    } else {
        if (left != nullptr) {
            left->Selected(false, false);
        }
        if (right != nullptr) {
            right->Selected(true, false);
        }
    }
}

int CLightControlUI::GetDirection() {
    COptionUI* left = m_directionLeft.Get();
    return left != nullptr && left->IsSelected() ? 1 : 0;
}

CControlUI* CLightControlUI::Group(LightGroup group) {
    return m_groups[static_cast<std::size_t>(group)].Get();
}

void CLightControlUI::Enable(CControlUI* control, bool enabled) {
    if (control != nullptr) {
        control->SetEnabled(enabled);
    }
}

void CLightControlUI::Show(CControlUI* control, bool visible) {
    if (control != nullptr) {
        control->SetVisible(visible);
    }
}

void CLightControlUI::ApplyEnableRule(int effect) {
    const LightRule* rule = FindLightRule(m_deviceKind, effect);
    if (rule == nullptr) {
        return;
    }
    Show(m_sameMode.Get(), false);
    Enable(Group(LightGroup::Direction), true);
    if (LightRuleHidesCustomGroup(m_deviceKind)) {
        Show(m_customGroup.Get(), false);
    }
    for (std::size_t i = 0; i < kLightGroupCount; ++i) {
        Enable(m_groups[i].Get(), rule->enabled[i]);
    }
    switch (rule->visibility) {
        case LightVisibility::Unchanged:
            break;
        case LightVisibility::AllGroups:
        case LightVisibility::AllGroupsAndCustom:
            for (auto& group : m_groups) {
                Show(group.Get(), true);
            }
            Show(m_customGroup.Get(), rule->visibility == LightVisibility::AllGroupsAndCustom);
            break;
        case LightVisibility::EffectAndBrightnessOnly:
            for (std::size_t i = 0; i < kLightGroupCount; ++i) {
                const auto group = static_cast<LightGroup>(i);
                Show(m_groups[i].Get(),
                     group == LightGroup::Effect || group == LightGroup::Brightness);
            }
            break;
    }
    Show(m_sameMode.Get(), rule->canSync && m_multiDevice);
}

}  // namespace quaro
