#pragma once

#include <cstdint>

namespace quaro {

// What became of a request to change a setting of the desktop session.
enum class SettingApplied : std::uint8_t {
    kApplied,     // the session took the value
    kNotApplied,  // nothing here can set it (no display, no such control); traced as such
    kFailed,      // the session refused or did not take it
};

// Keyboard repeat as the keyboard page stores it: a delay choice 0-3 (250, 500, 750 or
// 1000 ms before the first repeat) and a speed 0-31 (about 2.5 to 30 repeats a second).
inline constexpr unsigned kMaxRepeatDelayChoice = 3;
inline constexpr unsigned kMaxRepeatSpeed = 31;

// Milliseconds before the first repeat for a delay choice; a choice beyond 3 counts as 0, as
// the page shows it.
unsigned RepeatDelayMs(unsigned choice);
// Milliseconds between repeats for a speed; speeds beyond 31 count as 31.
unsigned RepeatIntervalMs(unsigned speed);

// Pointer settings as the mouse page stores them: slider positions, turned into what a session
// takes by the functions below.
inline constexpr unsigned kMinPointerSpeed = 1;
inline constexpr unsigned kMaxPointerSpeed = 20;
// The wheel line count that stands for scrolling a page at a time.
inline constexpr unsigned kPageScrollLines = 255;

// Pointer speed 1-20 for a speed slider position: 2v + 2 kept in a byte, as the profile's
// pointer word always held it, then limited to 1-20 (0 becomes 1, above 20 becomes 20).
unsigned PointerSpeedForPosition(int position);
// Lines per wheel notch: kPageScrollLines when scrolling by pages, else the position + 1.
unsigned WheelLinesFor(bool pageScroll, int position);
// Double-click time in milliseconds: the slider runs from slow on the left to fast on the right,
// so its maximum gives 100 ms and each step to the left another 100 ms. Never below 100 ms.
unsigned DoubleClickMsFor(int sliderMaximum, int position);

// The settings of the desktop session that the pages change for the user: keyboard repeat (the
// keyboard page) and the pointer (the mouse page). The composition root picks the
// implementation: the X server's own controls, or a recording one in tests. Nothing here reads
// the session's current values for the pages: they show what the profile holds.
//
// Threads: any one thread at a time per object.
class SystemSettingsService {
public:
    virtual ~SystemSettingsService() = default;

    virtual SettingApplied SetRepeatDelay(unsigned choice) = 0;
    virtual SettingApplied SetRepeatSpeed(unsigned speed) = 0;
    // Pointer speed 1-20 as the mouse page stores it, 10 leaving the pointer unaccelerated.
    virtual SettingApplied SetPointerSpeed(unsigned speed) = 0;
    // Acceleration of fast movements on or off, the speed kept.
    virtual SettingApplied SetPointerPrecision(bool on) = 0;
    // Lines per wheel notch, kPageScrollLines for a page at a time.
    virtual SettingApplied SetWheelLines(unsigned lines) = 0;
    virtual SettingApplied SetDoubleClickTime(unsigned ms) = 0;
};

}  // namespace quaro
