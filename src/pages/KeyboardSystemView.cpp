#include "pages/KeyboardSystemView.h"

#include "pages/CachedControl.h"
#include "ui/toolkit/CEditUI.h"
#include "ui/toolkit/CLabelUI.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CSliderUI.h"

#include <QWidget>

namespace quaro {
namespace {

constexpr int kDelayStepMs = 250;

int OptionIndex(int n) {
    return n >= 0 && n < KeyboardSystemView::kOptionCount ? n : 0;
}

}  // namespace

template <class T>
T* KeyboardSystemView::Find(QPointer<T>& cache, const QString& name) {
    return FindCachedControl(m_page, cache, name);
}

void KeyboardSystemView::SelectOne(std::array<QPointer<COptionUI>, kOptionCount>& options,
                                   const QString& prefix, int n) {
    const int chosen = OptionIndex(n);
    // The chosen one first: in an exclusive group the others then clear themselves.
    if (COptionUI* option =
            Find(options[static_cast<std::size_t>(chosen)], prefix + QString::number(chosen))) {
        option->Selected(true, false);
    }
    for (int i = 0; i < kOptionCount; ++i) {
        if (i == chosen) {
            continue;
        }
        if (COptionUI* option =
                Find(options[static_cast<std::size_t>(i)], prefix + QString::number(i))) {
            option->Selected(false, false);
        }
    }
}

void KeyboardSystemView::SetReportRateOption(int n) {
    SelectOne(m_reportRate, QStringLiteral("polling_rate_option_"), n);
}

void KeyboardSystemView::SetRepeatDelayOption(int n) {
    SelectOne(m_repeatDelay, QStringLiteral("repeat_delay_check_"), n);
    ShowRepeatDelay(n);
}

void KeyboardSystemView::ShowRepeatDelay(int n) {
    CLabelUI* label = Find(m_delayLabel, QStringLiteral("repeat_delay_time_label1"));
    if (label == nullptr) {
        return;
    }
    const int ms = OptionIndex(n) * kDelayStepMs + kDelayStepMs;
    label->SetResourceText(false);
    label->SetText(LanguageText(QStringLiteral("Repeat_Delay_Time")) + QString::number(ms) +
                   QStringLiteral("ms"));
}

void KeyboardSystemView::SetWinLock(bool on) {
    if (COptionUI* option = Find(m_winLock, QStringLiteral("winlockflag_option"))) {
        option->Selected(on, false);
    }
}

void KeyboardSystemView::SetWFlag(bool on) {
    if (COptionUI* option = Find(m_wFlag, QStringLiteral("wflag_option"))) {
        option->Selected(on, false);
    }
}

void KeyboardSystemView::SetKey6Flag(bool on) {
    if (COptionUI* option = Find(m_key6Flag, QStringLiteral("6flag_option"))) {
        option->Selected(on, false);
    }
}

bool KeyboardSystemView::GetWinLock() {
    const COptionUI* option = Find(m_winLock, QStringLiteral("winlockflag_option"));
    return option != nullptr && option->IsSelected();
}

bool KeyboardSystemView::GetWFlag() {
    const COptionUI* option = Find(m_wFlag, QStringLiteral("wflag_option"));
    return option != nullptr && option->IsSelected();
}

bool KeyboardSystemView::GetKey6Flag() {
    const COptionUI* option = Find(m_key6Flag, QStringLiteral("6flag_option"));
    return option != nullptr && option->IsSelected();
}

void KeyboardSystemView::SetRepeatRate(int value) {
    if (CSliderUI* slider = Find(m_repeatRate, QStringLiteral("repeat_rate_slider"))) {
        slider->SetValue(value, false);
    }
}

int KeyboardSystemView::GetRepeatRate() {
    const CSliderUI* slider = Find(m_repeatRate, QStringLiteral("repeat_rate_slider"));
    return slider != nullptr ? slider->GetValue() : 0;
}

void KeyboardSystemView::ClearRepeatField() {
    if (CRichEditUI* field = Find(m_repeatField, QStringLiteral("repeat_input_richedit"))) {
        field->SetText(QString());
    }
}

void KeyboardSystemView::SetRepeatFieldTip() {
    if (CRichEditUI* field = Find(m_repeatField, QStringLiteral("repeat_input_richedit"))) {
        // The tip is kept as its language id, so a change of language shows it anew.
        field->SetToolTip(QStringLiteral("Repeat_input_text"));
        field->setPlaceholderText(LanguageText(QStringLiteral("Repeat_input_text")));
    }
}

void KeyboardSystemView::Show(const SystemSettings& settings) {
    SetWinLock(settings.winFlag != 0);
    SetWFlag(settings.wFlag != 0);
    SetKey6Flag(settings.key6Flag != 0);
    SetRepeatRate(settings.repeat);
    SetRepeatDelayOption(settings.repeatDelay);
    ClearRepeatField();
    SetRepeatFieldTip();
    SetReportRateOption(settings.pollingRate);
}

QString KeyboardSystemView::LanguageText(const QString& id) {
    CLabelUI* label = Find(m_textTest, QStringLiteral("text_test"));
    if (label == nullptr) {
        return {};
    }
    label->SetResourceText(true);
    label->SetText(id);
    return label->GetShownText();
}

}  // namespace quaro
