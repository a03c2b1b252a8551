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

// The settings of the desktop session that the pages change for the user: keyboard repeat (the
// keyboard page) and pointer acceleration (the mouse page). The composition root picks the
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
};

}  // namespace quaro
