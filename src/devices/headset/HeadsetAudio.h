#pragma once

#include "devices/headset/EqPresets.h"
#include "devices/headset/OsConfLibrary.h"
#include "profiles/CHs6533Profiledata.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quaro {

// Positions of the eight headset values.
enum HeadsetValue : std::size_t {
    kMagicEnable,
    kMagicType,
    kEqType,
    kCustomEqIndex,
    kMicInSelect,
    kMicInValue,
    kMonitorSelect,
    kMonitorValue,
};

// What the headset's audio side holds: the eight values, the band gains in force, the custom
// curves by name and gains, and the mute flags as last set.
struct HeadsetAudioState {
    HeadsetValues values{};
    EqCurve bands{};
    std::vector<std::string> curveNames;
    std::array<EqCurve, CHs6533Profiledata::kMaxCustomEqs> curves{};
    // As the zero values say: both switches off, until a profile or the headset tells.
    bool micMuted = true;
    bool monitorMuted = true;

    int Value(HeadsetValue which) const { return values[which]; }
    bool IsCustomMode() const { return values[kEqType] == kEqCustomType; }
    // The selected custom curve, or -1 when none (or a stale number) is selected.
    int SelectedCurve() const;
};

// How a custom curve save ended.
enum class CurveSave { kAdded, kUpdated, kNothing, kFull, kDuplicate };

// The headset's audio model: the audio library calls of every audio operation and the state
// they leave. The operations that return bool answer whether the state is to be stored in the
// profile; a failed library call leaves the stored values as they were, so the profile only
// ever holds what the headset took. Without a ready library no call is made at all. Qt-free and
// single-threaded: the page runs it on its audio worker.
class HeadsetAudio {
public:
    static constexpr int kMaxCurves = CHs6533Profiledata::kMaxCustomEqs;
    // Bit of device B's first support field that says the voice changer can be read.
    static constexpr std::int64_t kMagicVoiceSupport = 0x20000;

    // The profile's values: what the panels show until the library answers.
    void TakeProfile(const HeadsetAudioState& state);
    const HeadsetAudioState& State() const { return m_state; }

    // Loads the library under the application folder; when it is ready, writes the defaults of
    // what cannot be read and reads the headset's state. False without a ready library.
    bool Init(const std::filesystem::path& applicationFolder);
    bool IsReady() const { return m_library.IsReady(); }
    OsConfLibrary& Library() { return m_library; }

    // Takes the levels, mutes, bands and voice changer the headset reports. Not stored.
    void ReadState();

    bool SetMicLevel(int level);
    bool ToggleMicMute();
    bool SetMonitorLevel(int level);
    bool ToggleMonitorMute();
    bool SelectEqPreset(int preset);
    // Never stored: a moved band only leaves its preset or curve.
    void SetEqBand(int band, int gain);
    bool SelectCustomEq(int curve);
    // An empty name stores the sliders into the selected curve.
    CurveSave SaveCustomEq(const std::string& name, const EqCurve& sliders);
    // True when a curve was deleted (always to be stored).
    bool DeleteCustomEq();
    bool ToggleVoiceChanger(bool on);
    bool SelectVoiceEffect(int effect);

private:
    void WriteDefaults();
    // Enables the equaliser and sends the ten gains; false when any call failed.
    bool SendBands(const EqCurve& gains);
    bool SetLevel(const char* scalarName, const char* levelName, std::int32_t setSecond,
                  std::int32_t getSecond, int level);

    OsConfLibrary m_library;
    HeadsetAudioState m_state;
};

}  // namespace quaro
