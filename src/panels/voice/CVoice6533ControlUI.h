#pragma once

#include "panels/devicetab/InnerControl.h"
#include "ui/toolkit/CButtonUI.h"
#include "ui/toolkit/CComboUI.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/CEditUI.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CSliderUI.h"

#include <QString>

#include <array>
#include <vector>

namespace quaro {

// The headset's voice panel: microphone and monitoring switches and levels, the equaliser's
// presets and ten band sliders, and the named custom curves. A thin view: it shows what the
// page hands it and answers what the user set; the window's headset routes take the user's
// actions to the page. A layout without a control is tolerated: setters do nothing, getters
// answer -1 for sliders and the selection, 0 for counts and options, empty for texts.
class CVoice6533ControlUI : public CHorizontalLayoutUI {
public:
    static constexpr int kEqOptionCount = 13;
    static constexpr int kBandCount = 10;
    static constexpr int kCurveItemHeight = 30;

    explicit CVoice6533ControlUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("Voice6533Control"); }

    // Enables the custom curve controls.
    void SetCustomMode(bool on);
    bool IsCustomMode();
    // Selects option n (1-13) alone, silently; any other n leaves all options clear and keeps 0.
    void SelectEqOption(int n);
    int GetEqOption() const { return m_eqOption; }

    void SetBandSlider(int band, int value);
    int GetBandSlider(int band);
    std::array<int, kBandCount> GetBandSliders();

    void SetMicInOption(bool on);
    bool GetMicInOption();
    void SetMonitorOption(bool on);
    bool GetMonitorOption();
    void SetMicInSlider(int value);
    int GetMicInSlider();
    void SetMonitorSlider(int value);
    int GetMonitorSlider();

    void SetNewCurveName(const QString& text);
    QString GetNewCurveName();

    void AddCurveName(const QString& name);
    int GetSelectedCurve();
    int GetCurveCount();
    // Selects curve k silently (-1 clears the selection) and empties the name edit.
    void SelectCurve(int k);
    void RemoveCurve(int k);
    void RemoveAllCurves();
    QString GetCurveName(int k);

private:
    static void SetOption(COptionUI* option, bool on);
    static void SetSlider(CSliderUI* slider, int value);
    static int SliderValue(CSliderUI* slider);

    InnerControl<COptionUI> m_micInOption;
    InnerControl<CSliderUI> m_micInSlider;
    InnerControl<COptionUI> m_monitorOption;
    InnerControl<CSliderUI> m_monitorSlider;
    std::vector<InnerControl<COptionUI>> m_eqOptions;
    std::vector<InnerControl<CSliderUI>> m_bandSliders;
    InnerControl<CControlUI> m_customLayout;
    InnerControl<CComboUI> m_curveCombo;
    InnerControl<CEditUI> m_curveNameEdit;
    int m_eqOption = 0;
};

}  // namespace quaro
