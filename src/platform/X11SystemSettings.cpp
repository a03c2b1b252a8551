#include "platform/X11SystemSettings.h"

#include "platform/Trace.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <algorithm>

namespace quaro {

struct X11SystemSettings::Connection {
    Display* display = nullptr;
};

namespace {

// Pointer speed 10 is the unaccelerated pointer; each step away from it is a tenth more or
// less, as a fraction the server keeps.
constexpr int kPointerDenominator = 10;
// The server scales every movement longer than the threshold. One pixel scales all of them alike,
// a constant speed; four leaves slow, short movements exact and speeds up fast ones, which is
// what the page calls precision.
constexpr int kPrecisionThreshold = 4;
constexpr int kConstantThreshold = 1;

}  // namespace

X11SystemSettings::X11SystemSettings(const std::string& displayName)
    : m_connection(std::make_unique<Connection>()) {
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    int reason = 0;
    Display* display = XkbOpenDisplay(displayName.empty() ? nullptr : displayName.c_str(), nullptr,
                                      nullptr, &major, &minor, &reason);
    if (display == nullptr) {
        TraceFormat("no X display with the keyboard extension (%d): system settings not applied",
                    reason);
        return;
    }
    m_connection->display = display;
}

X11SystemSettings::~X11SystemSettings() {
    if (m_connection->display != nullptr) {
        XCloseDisplay(m_connection->display);
    }
}

bool X11SystemSettings::IsAvailable() const {
    std::lock_guard lock(m_mutex);
    return m_connection->display != nullptr;
}

SettingApplied X11SystemSettings::SetRepeatDelay(unsigned choice) {
    return SetRepeat(RepeatDelayMs(choice), 0, true);
}

SettingApplied X11SystemSettings::SetRepeatSpeed(unsigned speed) {
    return SetRepeat(0, RepeatIntervalMs(speed), false);
}

SettingApplied X11SystemSettings::SetRepeat(unsigned delayMs, unsigned intervalMs, bool setDelay) {
    std::lock_guard lock(m_mutex);
    Display* display = m_connection->display;
    if (display == nullptr) {
        Trace(setDelay ? "keyboard repeat delay not applied: no X display"
                       : "keyboard repeat speed not applied: no X display");
        return SettingApplied::kNotApplied;
    }
    unsigned delay = 0;
    unsigned interval = 0;
    if (!XkbGetAutoRepeatRate(display, XkbUseCoreKbd, &delay, &interval)) {
        Trace("keyboard repeat not applied: the X server does not tell its repeat");
        return SettingApplied::kFailed;
    }
    // The other half stays as the server has it: delay and speed are set one at a time.
    if (setDelay) {
        delay = delayMs;
    } else {
        interval = intervalMs;
    }
    if (!XkbSetAutoRepeatRate(display, XkbUseCoreKbd, delay, interval)) {
        Trace("keyboard repeat not applied: the X server refused it");
        return SettingApplied::kFailed;
    }
    XSync(display, False);
    unsigned delayNow = 0;
    unsigned intervalNow = 0;
    if (!XkbGetAutoRepeatRate(display, XkbUseCoreKbd, &delayNow, &intervalNow) ||
        delayNow != delay || intervalNow != interval) {
        TraceFormat("keyboard repeat not applied: asked %u/%u ms, the X server has %u/%u ms", delay,
                    interval, delayNow, intervalNow);
        return SettingApplied::kFailed;
    }
    return SettingApplied::kApplied;
}

SettingApplied X11SystemSettings::SetPointerSpeed(unsigned speed) {
    std::lock_guard lock(m_mutex);
    Display* display = m_connection->display;
    if (display == nullptr) {
        Trace("pointer speed not applied: no X display");
        return SettingApplied::kNotApplied;
    }
    const int numerator = static_cast<int>(std::clamp(speed, kMinPointerSpeed, kMaxPointerSpeed));
    // The threshold stays as it is: precision is a setting of its own.
    XChangePointerControl(display, True, False, numerator, kPointerDenominator, 0);
    XSync(display, False);
    int numeratorNow = 0;
    int denominatorNow = 0;
    int threshold = 0;
    XGetPointerControl(display, &numeratorNow, &denominatorNow, &threshold);
    // The server may reduce the fraction: compare the ratios.
    if (numeratorNow * kPointerDenominator != numerator * denominatorNow) {
        TraceFormat("pointer speed not applied: the X server has %d/%d", numeratorNow,
                    denominatorNow);
        return SettingApplied::kFailed;
    }
    return SettingApplied::kApplied;
}

SettingApplied X11SystemSettings::SetPointerPrecision(bool on) {
    std::lock_guard lock(m_mutex);
    Display* display = m_connection->display;
    if (display == nullptr) {
        Trace("pointer precision not applied: no X display");
        return SettingApplied::kNotApplied;
    }
    const int threshold = on ? kPrecisionThreshold : kConstantThreshold;
    XChangePointerControl(display, False, True, 0, 0, threshold);
    XSync(display, False);
    int numerator = 0;
    int denominator = 0;
    int thresholdNow = 0;
    XGetPointerControl(display, &numerator, &denominator, &thresholdNow);
    if (thresholdNow != threshold) {
        TraceFormat("pointer precision not applied: the X server has threshold %d", thresholdNow);
        return SettingApplied::kFailed;
    }
    return SettingApplied::kApplied;
}

SettingApplied X11SystemSettings::SetWheelLines(unsigned lines) {
    TraceFormat("wheel lines %u not applied: the X server has no such setting", lines);
    return SettingApplied::kNotApplied;
}

SettingApplied X11SystemSettings::SetDoubleClickTime(unsigned ms) {
    TraceFormat("double-click time %u ms not applied: the X server has no such setting", ms);
    return SettingApplied::kNotApplied;
}

bool X11SystemSettings::ReadRepeat(unsigned& delayMs, unsigned& intervalMs) const {
    std::lock_guard lock(m_mutex);
    return m_connection->display != nullptr &&
           XkbGetAutoRepeatRate(m_connection->display, XkbUseCoreKbd, &delayMs, &intervalMs);
}

bool X11SystemSettings::ReadPointerAcceleration(int& numerator, int& denominator) const {
    std::lock_guard lock(m_mutex);
    if (m_connection->display == nullptr) {
        return false;
    }
    int threshold = 0;
    XGetPointerControl(m_connection->display, &numerator, &denominator, &threshold);
    return true;
}

bool X11SystemSettings::ReadPointerThreshold(int& threshold) const {
    std::lock_guard lock(m_mutex);
    if (m_connection->display == nullptr) {
        return false;
    }
    int numerator = 0;
    int denominator = 0;
    XGetPointerControl(m_connection->display, &numerator, &denominator, &threshold);
    return true;
}

}  // namespace quaro
