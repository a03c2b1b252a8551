#include "pages/MouseStageView.h"

#include "pages/CachedControl.h"
#include "ui/toolkit/CEditUI.h"
#include "ui/toolkit/CLabelUI.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CSliderUI.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <QWidget>

#include <algorithm>
#include <string_view>

namespace quaro {
namespace {

const QString kActiveBar = QStringLiteral("Control/SliderBar_BK3.png");
const QString kActiveThumb = QStringLiteral("Control/SliderBar2_Thumb.png");
const QString kBar = QStringLiteral("Control/SliderBar_BK1.png");
const QString kThumb = QStringLiteral("Control/SliderBar1_Thumb.png");

bool IsStage(int stage) {
    return stage >= 0 && stage < MouseStageView::kStageCount;
}

}  // namespace

template <class T>
T* MouseStageView::Find(QPointer<T>& cache, const QString& name) {
    return FindCachedControl(m_page, cache, name);
}

template <class T>
T* MouseStageView::FindIndexed(std::array<QPointer<T>, kStageCount>& cache, const char* prefix,
                               int stage) {
    if (!IsStage(stage)) {
        return nullptr;
    }
    return Find(cache[static_cast<std::size_t>(stage)],
                QLatin1String(prefix) + QString::number(stage));
}

void MouseStageView::SetLimits(const DpiStageRules::Limits& limits) {
    m_limits = limits;
    for (int stage = 0; stage < kStageCount; ++stage) {
        if (CSliderUI* slider = FindIndexed(m_sliders, "DPI_slider_", stage)) {
            slider->SetMinValue(0);
            slider->SetMaxValue(limits.sliderMaximum);
        }
        if (CEditUI* edit = FindIndexed(m_edits, "DPI_edit_", stage)) {
            edit->SetMinValue(0);
            edit->SetMaxValue(DpiStageRules::EditDpiForUnits(limits.sliderMaximum, limits));
        }
    }
}

void MouseStageView::SetStageEnabled(int stage, bool on) {
    if (!IsStage(stage)) {
        return;
    }
    m_checks = DpiStageRules::SetStageEnabled(m_checks, stage, on);
    const std::size_t at = static_cast<std::size_t>(stage);
    const QString rowName = QStringLiteral("DPI_layout_") + QString::number(stage);
    if (!m_rows[at]) {
        m_rows[at] = m_page.findChild<QWidget*>(rowName);
    }
    if (CControlUI* row = AsControl(m_rows[at].data())) {
        row->SetEnabled(on);
    }
    ShowChecks();
}

void MouseStageView::ShowChecks() {
    for (int stage = 0; stage < kStageCount; ++stage) {
        if (COptionUI* check = FindIndexed(m_checkControls, "DPI_enable_check_", stage)) {
            const DpiStageRules::Check& state = m_checks[static_cast<std::size_t>(stage)];
            check->Selected(state.selected, false);
            check->SetEnabled(state.enabled);
        }
    }
}

bool MouseStageView::IsStageChecked(int stage) {
    COptionUI* check = FindIndexed(m_checkControls, "DPI_enable_check_", stage);
    return check != nullptr && check->IsSelected();
}

bool MouseStageView::IsStageCheckEnabled(int stage) const {
    return IsStage(stage) && m_checks[static_cast<std::size_t>(stage)].enabled;
}

void MouseStageView::SetStageSlider(int stage, int units, bool active) {
    if (CSliderUI* slider = FindIndexed(m_sliders, "DPI_slider_", stage)) {
        slider->SetValue(units, false);
        slider->SetBkImage(active ? kActiveBar : kBar);
        slider->SetForeImage(active ? kActiveThumb : kThumb);
    }
    if (CEditUI* edit = FindIndexed(m_edits, "DPI_edit_", stage)) {
        edit->SetText(QString::number(DpiStageRules::EditDpiForUnits(units, m_limits)));
    }
}

int MouseStageView::GetStageSlider(int stage) {
    CSliderUI* slider = FindIndexed(m_sliders, "DPI_slider_", stage);
    return slider != nullptr ? slider->GetValue() : 0;
}

void MouseStageView::FollowStageSlider(int stage) {
    CSliderUI* slider = FindIndexed(m_sliders, "DPI_slider_", stage);
    CEditUI* edit = FindIndexed(m_edits, "DPI_edit_", stage);
    if (slider != nullptr && edit != nullptr) {
        edit->SetText(
            QString::number(DpiStageRules::EditDpiForUnits(slider->GetValue(), m_limits)));
    }
}

int MouseStageView::GetStageEditDpi(int stage) {
    CEditUI* edit = FindIndexed(m_edits, "DPI_edit_", stage);
    const QByteArray text = edit != nullptr ? edit->GetText().trimmed().toLatin1() : QByteArray();
    const int number =
        DpiStageRules::ParseEditNumber(std::string_view(text.constData(), text.size()));
    return std::max(number, m_limits.minimumDpi);
}

int MouseStageView::SelectReportRate(int option) {
    const int chosen = option >= 0 && option < kReportRateCount ? option : 0;
    // The chosen one first: in an exclusive group the others then clear themselves.
    for (int pass = 0; pass < 2; ++pass) {
        for (int n = 0; n < kReportRateCount; ++n) {
            if ((n == chosen) != (pass == 0)) {
                continue;
            }
            if (COptionUI* rate =
                    Find(m_reportRates[static_cast<std::size_t>(n)],
                         QStringLiteral("polling_rate_option_") + QString::number(n))) {
                rate->Selected(n == chosen, false);
            }
        }
    }
    return chosen;
}

int MouseStageView::ShowSettingsPage(int page) {
    CTabLayoutUI* pages = Find(m_settingsPages, QStringLiteral("mouse_device_seting_layout"));
    if (pages == nullptr) {
        return 0;
    }
    const int shown = page >= 0 && page < pages->GetCount() ? page : 0;
    pages->SelectItem(shown, false);
    for (int n = 0; n < pages->GetCount(); ++n) {
        const QString name = QStringLiteral("mouse_device_seting_option_") + QString::number(n);
        for (QWidget* widget : m_page.findChildren<QWidget*>(name)) {
            if (auto* option = dynamic_cast<COptionUI*>(AsControl(widget))) {
                option->Selected(n == shown, false);
            }
        }
    }
    return shown;
}

void MouseStageView::ShowHint(bool shown) {
    if (CLabelUI* hint = Find(m_hint, QStringLiteral("device_tishi_info"))) {
        hint->SetVisible(shown);
    }
}

}  // namespace quaro
