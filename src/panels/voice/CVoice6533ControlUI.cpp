#include "panels/voice/CVoice6533ControlUI.h"

#include "ui/toolkit/CListUI.h"

#include <QSignalBlocker>

namespace quaro {

CVoice6533ControlUI::CVoice6533ControlUI(QWidget* parent)
    : CHorizontalLayoutUI(parent),
      m_micInOption(this, QStringLiteral("6533_MicIn_option")),
      m_micInSlider(this, QStringLiteral("6533_MicIn_slider")),
      m_monitorOption(this, QStringLiteral("6533_MicMoniter_option")),
      m_monitorSlider(this, QStringLiteral("6533_MicMoniter_slider")),
      m_customLayout(this, QStringLiteral("custom_eq_option_layout")),
      m_curveCombo(this, QStringLiteral("custom_eq_name_combo")),
      m_curveNameEdit(this, QStringLiteral("custom_eq_name_edit")) {
    m_eqOptions.reserve(kEqOptionCount);
    for (int n = 1; n <= kEqOptionCount; ++n) {
        m_eqOptions.emplace_back(this, QStringLiteral("6533_eq_option_%1").arg(n));
    }
    m_bandSliders.reserve(kBandCount);
    for (int band = 0; band < kBandCount; ++band) {
        m_bandSliders.emplace_back(this, QStringLiteral("6533_eq_hz_slider_%1").arg(band));
    }
}

void CVoice6533ControlUI::SetOption(COptionUI* option, bool on) {
    if (option != nullptr) {
        option->Selected(on, false);
    }
}

void CVoice6533ControlUI::SetSlider(CSliderUI* slider, int value) {
    if (slider != nullptr) {
        slider->SetValue(value, false);
    }
}

int CVoice6533ControlUI::SliderValue(CSliderUI* slider) {
    return slider != nullptr ? slider->GetValue() : -1;
}

void CVoice6533ControlUI::SetCustomMode(bool on) {
    if (CControlUI* layout = m_customLayout.Get()) {
        layout->SetEnabled(on);
    }
}

bool CVoice6533ControlUI::IsCustomMode() {
    CControlUI* layout = m_customLayout.Get();
    return layout != nullptr && layout->IsEnabled();
}

void CVoice6533ControlUI::SelectEqOption(int n) {
    for (auto& option : m_eqOptions) {
        SetOption(option.Get(), false);
    }
    if (n < 1 || n > kEqOptionCount) {
        m_eqOption = 0;
        return;
    }
    SetOption(m_eqOptions[static_cast<std::size_t>(n - 1)].Get(), true);
    m_eqOption = n;
}

void CVoice6533ControlUI::SetBandSlider(int band, int value) {
    if (band >= 0 && band < kBandCount) {
        SetSlider(m_bandSliders[static_cast<std::size_t>(band)].Get(), value);
    }
}

int CVoice6533ControlUI::GetBandSlider(int band) {
    if (band < 0 || band >= kBandCount) {
        return -1;
    }
    return SliderValue(m_bandSliders[static_cast<std::size_t>(band)].Get());
}

std::array<int, CVoice6533ControlUI::kBandCount> CVoice6533ControlUI::GetBandSliders() {
    std::array<int, kBandCount> gains{};
    for (int band = 0; band < kBandCount; ++band) {
        CSliderUI* slider = m_bandSliders[static_cast<std::size_t>(band)].Get();
        gains[static_cast<std::size_t>(band)] = slider != nullptr ? slider->GetValue() : 0;
    }
    return gains;
}

void CVoice6533ControlUI::SetMicInOption(bool on) {
    SetOption(m_micInOption.Get(), on);
}

bool CVoice6533ControlUI::GetMicInOption() {
    COptionUI* option = m_micInOption.Get();
    return option != nullptr && option->IsSelected();
}

void CVoice6533ControlUI::SetMonitorOption(bool on) {
    SetOption(m_monitorOption.Get(), on);
}

bool CVoice6533ControlUI::GetMonitorOption() {
    COptionUI* option = m_monitorOption.Get();
    return option != nullptr && option->IsSelected();
}

void CVoice6533ControlUI::SetMicInSlider(int value) {
    SetSlider(m_micInSlider.Get(), value);
}

int CVoice6533ControlUI::GetMicInSlider() {
    return SliderValue(m_micInSlider.Get());
}

void CVoice6533ControlUI::SetMonitorSlider(int value) {
    SetSlider(m_monitorSlider.Get(), value);
}

int CVoice6533ControlUI::GetMonitorSlider() {
    return SliderValue(m_monitorSlider.Get());
}

void CVoice6533ControlUI::SetNewCurveName(const QString& text) {
    if (CEditUI* edit = m_curveNameEdit.Get()) {
        edit->SetText(text);
    }
}

QString CVoice6533ControlUI::GetNewCurveName() {
    CEditUI* edit = m_curveNameEdit.Get();
    return edit != nullptr ? edit->GetEditText() : QString();
}

void CVoice6533ControlUI::AddCurveName(const QString& name) {
    CComboUI* combo = m_curveCombo.Get();
    if (combo == nullptr) {
        return;
    }
    auto* item = new CListLabelElementUI;
    item->GetWidget()->setFixedHeight(kCurveItemHeight);
    item->SetResourceManager(GetResourceManager());
    item->SetUserData(name);
    item->SetText(name);
    combo->Add(item);
}

int CVoice6533ControlUI::GetSelectedCurve() {
    CComboUI* combo = m_curveCombo.Get();
    return combo != nullptr ? combo->GetCurSel() : -1;
}

int CVoice6533ControlUI::GetCurveCount() {
    CComboUI* combo = m_curveCombo.Get();
    return combo != nullptr ? combo->GetCount() : 0;
}

void CVoice6533ControlUI::SelectCurve(int k) {
    if (CComboUI* combo = m_curveCombo.Get()) {
        if (k >= 0 && k < combo->GetCount()) {
            combo->SelectItem(k, false, false);
        } else {
            const QSignalBlocker quiet(combo);
            combo->setCurrentIndex(-1);
        }
    }
    SetNewCurveName(QString());
}

void CVoice6533ControlUI::RemoveCurve(int k) {
    CComboUI* combo = m_curveCombo.Get();
    if (combo == nullptr || k < 0 || k >= combo->GetCount()) {
        return;
    }
    // The combo has no removal of one row; the others are added again in their order.
    QStringList names;
    for (int i = 0; i < combo->GetCount(); ++i) {
        if (i != k) {
            names.append(GetCurveName(i));
        }
    }
    RemoveAllCurves();
    for (const QString& name : names) {
        AddCurveName(name);
    }
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(-1);
}

void CVoice6533ControlUI::RemoveAllCurves() {
    if (CComboUI* combo = m_curveCombo.Get()) {
        combo->RemoveAll();
    }
}

QString CVoice6533ControlUI::GetCurveName(int k) {
    CComboUI* combo = m_curveCombo.Get();
    CControlUI* item = combo != nullptr ? combo->GetItemAt(k) : nullptr;
    return item != nullptr ? item->GetUserData() : QString();
}

}  // namespace quaro
