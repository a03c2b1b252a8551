#include "pages/MouseSystemView.h"

#include "pages/CachedControl.h"
#include "platform/SystemSettings.h"
#include "platform/Trace.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CSliderUI.h"

#include <QWidget>

#include <algorithm>

namespace quaro {
namespace {

using Setting = PointerSettingsApplier::Setting;

std::uint16_t Half(int value) {
    return static_cast<std::uint16_t>(std::clamp(value, 0, 0xFFFF));
}

}  // namespace

template <class T>
T* MouseSystemView::Find(QPointer<T>& cache, const QString& name) {
    return FindCachedControl(m_page, cache, name);
}

void MouseSystemView::Show(const MouseSystemWords& words) {
    m_words = words;
    SetPointerSpeed(words.pointerSpeed);
    SetPointerPrecision(words.precision != 0);
    SetScroll(words.scrollPage != 0, words.scrollSpeed);
    SetDoubleClick(words.doubleClick);
}

void MouseSystemView::SetPointerSpeed(int position) {
    if (CSliderUI* slider = Find(m_speed, QStringLiteral("pointer_speed_slider"))) {
        slider->SetValue(position, false);
    }
}

int MouseSystemView::GetPointerSpeed() {
    const CSliderUI* slider = Find(m_speed, QStringLiteral("pointer_speed_slider"));
    return slider != nullptr ? slider->GetValue() : 0;
}

void MouseSystemView::SetPointerPrecision(bool on) {
    if (COptionUI* check = Find(m_precision, QStringLiteral("pointer_precision_check"))) {
        check->Selected(on, false);
    }
}

bool MouseSystemView::GetPointerPrecision() {
    const COptionUI* check = Find(m_precision, QStringLiteral("pointer_precision_check"));
    return check != nullptr && check->IsSelected();
}

void MouseSystemView::SetScroll(bool pageScroll, int position) {
    if (COptionUI* check = Find(m_scrollPage, QStringLiteral("scrolls_page_check"))) {
        check->Selected(pageScroll, false);
    }
    if (CSliderUI* slider = Find(m_scroll, QStringLiteral("scroll_speed_slider"))) {
        slider->SetValue(position, false);
    }
}

bool MouseSystemView::GetScrollPage() {
    const COptionUI* check = Find(m_scrollPage, QStringLiteral("scrolls_page_check"));
    return check != nullptr && check->IsSelected();
}

int MouseSystemView::GetScrollSpeed() {
    const CSliderUI* slider = Find(m_scroll, QStringLiteral("scroll_speed_slider"));
    return slider != nullptr ? slider->GetValue() : 0;
}

unsigned MouseSystemView::SetDoubleClick(int position) {
    if (CSliderUI* slider = Find(m_doubleClick, QStringLiteral("double_click_slider"))) {
        slider->SetValue(position, false);
    }
    return DoubleClickMsFor(GetDoubleClickMax(), position);
}

int MouseSystemView::GetDoubleClick() {
    const CSliderUI* slider = Find(m_doubleClick, QStringLiteral("double_click_slider"));
    return slider != nullptr ? slider->GetValue() : 0;
}

int MouseSystemView::GetDoubleClickMax() {
    const CSliderUI* slider = Find(m_doubleClick, QStringLiteral("double_click_slider"));
    return slider != nullptr ? slider->GetMaxValue() : 0;
}

void MouseSystemView::TakePointerSpeed() {
    const int position = GetPointerSpeed();
    m_words.pointerSpeed = Half(position);
    Store();
    Request(Setting::kSpeed, PointerSpeedForPosition(position));
}

void MouseSystemView::TakePointerPrecision() {
    const bool on = GetPointerPrecision();
    m_words.precision = on ? 1 : 0;
    Store();
    Request(Setting::kPrecision, on ? 1 : 0);
}

void MouseSystemView::TakeScrollSpeed() {
    // Moving the slider means lines again, not pages.
    const int position = GetScrollSpeed();
    SetScroll(false, position);
    m_words.scrollPage = 0;
    m_words.scrollSpeed = Half(position);
    Store();
    Request(Setting::kWheelLines, WheelLinesFor(false, position));
}

void MouseSystemView::TakeScrollPage() {
    const bool pageScroll = GetScrollPage();
    const int position = GetScrollSpeed();
    m_words.scrollPage = pageScroll ? 1 : 0;
    m_words.scrollSpeed = Half(position);
    Store();
    Request(Setting::kWheelLines, WheelLinesFor(pageScroll, position));
}

void MouseSystemView::TakeDoubleClick() {
    const int position = GetDoubleClick();
    m_words.doubleClick = Half(position);
    Store();
    Request(Setting::kDoubleClick, DoubleClickMsFor(GetDoubleClickMax(), position));
}

void MouseSystemView::Store() {
    if (m_storeWords) {
        m_storeWords(m_words);
    }
}

void MouseSystemView::Request(Setting setting, unsigned value) {
    if (m_applier == nullptr) {
        TraceFormat("%s %u not applied: no session settings", PointerSettingsApplier::Name(setting),
                    value);
        return;
    }
    m_applier->Request(setting, value);
}

}  // namespace quaro
