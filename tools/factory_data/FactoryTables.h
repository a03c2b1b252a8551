#pragma once

#include <array>
#include <string_view>

namespace quaro::factory {

// The headset's twelve equaliser presets, gain per band 1-10 in the audio library's
// "EQ_Slider" unit, as the headset's audio chip maker tuned them.
inline constexpr std::array<std::array<int, 10>, 12> kEqPresets = {{
    {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},
    {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
    {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},
    {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
    {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},
    {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
    {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},
    {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
    {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},
    {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
}};

// Built-in light effects of one page style, in effect-number order: the language id of the
// name, and whether the device plays it as a built-in (effect numbers that fall through to the
// custom effect player are not offered here).
struct EffectName {
    std::string_view languageId;
    bool visible;
};

inline constexpr std::array<EffectName, 28> kKeyboardEffects = {{
    {"light_mode_wave", true},
    {"light_mode_fine_wave", true},
    {"light_mode_snake", true},
    {"light_mode_spectrum", true},
    {"light_mode_breathing", true},
    {"light_mode_static", true},
    {"light_mode_reactive", true},
    {"light_mode_ripple", true},
    {"light_mode_row_ripple", true},
    {"light_mode_sparkle", true},
    {"light_mode_hue_cycle", true},
    {"light_mode_row_wave", true},
    {"light_mode_centre_pulse", true},
    {"light_mode_show", true},
    {"light_mode_phased_pulse", true},
    {"light_mode_sweep", true},
    {"light_mode_rings", true},
    {"light_mode_custom_keys", true},
    {"light_mode_backlight", true},
    {"light_mode_custom_effect", false},
    {"light_mode_key_pulse", true},
    {"light_mode_blink", true},
    {"light_mode_frames", true},
    {"light_mode_reactive_spread", true},
    {"light_mode_breathing_four", true},
    {"light_mode_blink_four", true},
    {"light_mode_off", true},
    {"light_mode_path_fill", true},
}};

inline constexpr std::array<EffectName, 9> kMouseEffects = {{
    {"light_mode_wave", true},
    {"light_mode_spectrum", true},
    {"light_mode_breathing", true},
    {"light_mode_static", true},
    {"light_mode_blink", true},
    {"light_mode_group_wave", true},
    {"light_mode_breathing_four", true},
    {"light_mode_blink_four", true},
    {"light_mode_off", true},
}};

// The mouse pad and the headset share their effect numbers.
inline constexpr std::array<EffectName, 9> kPadAndHeadsetEffects = {{
    {"light_mode_wave", true},
    {"light_mode_spectrum", true},
    {"light_mode_breathing", true},
    {"light_mode_static", true},
    {"light_mode_blink", true},
    {"light_mode_custom_effect", false},
    {"light_mode_chase", true},
    {"light_mode_group_chase", true},
    {"light_mode_off", true},
}};

// Offered languages. Positions bind: 0 and 2 carry their own fonts (Simplified and
// Traditional Chinese), so they must stay where they are.
struct LanguageRow {
    std::string_view name;
    std::string_view file;
    int id;  // Windows language identifier, kept as the stored choice
    std::string_view textId;
};

inline constexpr std::array<LanguageRow, 3> kLanguages = {{
    {"cn", "lan_cn.xml", 2052, "language_text_cn"},
    {"en", "lan_en.xml", 1033, "language_text_en"},
    {"tw", "lan_tw.xml", 1028, "language_text_tw"},
}};

// Factory firing patterns: shots per minute, and the recoil the pattern pulls against.
struct GunPattern {
    int roundsPerMinute;
    int pullDown;    // downward counts per bullet once the recoil has built up
    int rampShots;   // bullets until it has
    int sway;        // largest sideways counts per bullet
    int swayPeriod;  // bullets per sideways swing
};

inline constexpr std::array<GunPattern, 4> kGunPatterns = {{
    {600, 6, 8, 3, 10},   // assault rifle
    {900, 4, 5, 2, 6},    // submachine gun
    {750, 7, 12, 4, 14},  // light machine gun
    {300, 11, 2, 1, 4},   // marksman rifle
}};

}  // namespace quaro::factory
