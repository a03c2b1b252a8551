#pragma once

#include "devices/mouse/DpiStageRules.h"

#include <QPointer>
#include <QString>

#include <array>

class QWidget;

namespace quaro {

class CEditUI;
class CLabelUI;
class COptionUI;
class CSliderUI;
class CTabLayoutUI;

// The mouse page's own controls apart from the pointer: the five DPI stage rows (enable check,
// slider in slider units, edit in DPI), the report rate options, the settings sub-pages and the
// hint. It only shows and reads controls; the page keeps the stages and decides what goes to the
// profile and the mouse. A control the layout lacks makes its operation do nothing (getters
// answer false or 0).
//
// Threads: the UI thread only.
class MouseStageView {
public:
    static constexpr int kStageCount = DpiStageRules::kStageCount;
    static constexpr int kReportRateCount = 5;

    explicit MouseStageView(QWidget& page) : m_page(page) {}

    // The mouse's step, minimum and slider maximum: the sliders run 0 ... maximum and the edits
    // accept 0 ... maximum x step. All zero until the mouse told them.
    void SetLimits(const DpiStageRules::Limits& limits);
    const DpiStageRules::Limits& Limits() const { return m_limits; }

    // Row s usable and checked, or not; the last checked row cannot be cleared.
    void SetStageEnabled(int stage, bool on);
    bool IsStageChecked(int stage);
    bool IsStageCheckEnabled(int stage) const;
    // The slider at units and the edit at units x step; the active stage's slider is drawn in
    // the highlighted images.
    void SetStageSlider(int stage, int units, bool active);
    int GetStageSlider(int stage);
    // Only the edit follows the slider (while it is dragged).
    void FollowStageSlider(int stage);
    // The edit's number, raised to the minimum DPI.
    int GetStageEditDpi(int stage);

    // Option n (0 for one outside 0-4) becomes the only one chosen; returns the option shown.
    int SelectReportRate(int option);
    // Sub-page n, or 0 when there is no such page; only its option stays chosen. Returns the
    // sub-page shown.
    int ShowSettingsPage(int page);
    void ShowHint(bool shown);

private:
    template <class T>
    T* Find(QPointer<T>& cache, const QString& name);
    template <class T>
    T* FindIndexed(std::array<QPointer<T>, kStageCount>& cache, const char* prefix, int stage);
    void ShowChecks();

    QWidget& m_page;
    DpiStageRules::Limits m_limits;
    DpiStageRules::Checks m_checks{};
    std::array<QPointer<QWidget>, kStageCount> m_rows;
    std::array<QPointer<COptionUI>, kStageCount> m_checkControls;
    std::array<QPointer<CSliderUI>, kStageCount> m_sliders;
    std::array<QPointer<CEditUI>, kStageCount> m_edits;
    std::array<QPointer<COptionUI>, kReportRateCount> m_reportRates;
    QPointer<CTabLayoutUI> m_settingsPages;
    QPointer<CLabelUI> m_hint;
};

}  // namespace quaro
