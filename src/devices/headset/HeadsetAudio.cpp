#include "devices/headset/HeadsetAudio.h"

#include "platform/Trace.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace quaro {
namespace {

using Device = OsConfLibrary::Device;

constexpr int kLevelMax = 100;
constexpr int kEffectCount = 4;
// A level the library answers as "0.570000" is 57, not the 56 a bare truncation of
// 0.57 * 100 would give; the slack is far below one level step.
constexpr double kLevelSlack = 1e-6;

std::string BandName(int band) {
    return "EQ_Slider" + std::to_string(band + 1);
}

int LevelOfScalar(double scalar) {
    const double level = std::trunc(scalar * kLevelMax + kLevelSlack);
    return static_cast<int>(std::clamp(level, 0.0, static_cast<double>(kLevelMax)));
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

int HeadsetAudioState::SelectedCurve() const {
    const int index = values[kCustomEqIndex];
    return index >= 0 && index < static_cast<int>(curveNames.size()) ? index : -1;
}

void HeadsetAudio::TakeProfile(const HeadsetAudioState& state) {
    m_state = state;
    if (m_state.curveNames.size() > static_cast<std::size_t>(kMaxCurves)) {
        m_state.curveNames.resize(kMaxCurves);
    }
    m_state.micMuted = m_state.values[kMicInSelect] == 0;
    m_state.monitorMuted = m_state.values[kMonitorSelect] == 0;
}

bool HeadsetAudio::Init(const std::filesystem::path& applicationFolder) {
    if (m_library.Open(applicationFolder) != OsConfLibrary::State::kReady) {
        return false;
    }
    WriteDefaults();
    ReadState();
    return true;
}

void HeadsetAudio::WriteDefaults() {
    const auto intDefault = [this](Device device, const char* name) {
        std::int32_t value = 0;
        if (!m_library.GetInt(device, name, value)) {
            m_library.SetInt(device, name, 0);
        }
    };
    const auto levelDefault = [this](const char* name, std::int32_t second) {
        double value = 0;
        std::array<std::int32_t, 1> secondBuffer{second};
        if (!m_library.GetNumber(Device::kB, name, value, secondBuffer)) {
            m_library.SetInt(Device::kB, name, 0, secondBuffer);
        }
    };
    intDefault(Device::kA, "Enable_EQ_GFX");
    for (int band = 0; band < kEqBandCount; ++band) {
        intDefault(Device::kA, BandName(band).c_str());
    }
    intDefault(Device::kA, "Enable_RFX_GFX");
    intDefault(Device::kA, "RFX_ENVIRONMENT");
    intDefault(Device::kA, "RFX_ROOMSIZE");
    std::array<std::int32_t, 3> surround{4, -1, 0};
    std::int32_t surroundOn = 0;
    if (!m_library.GetInt(Device::kA, "VirtualSurroundEffectControl", surroundOn, surround)) {
        surround = {4, -1, 0};
        m_library.SetInt(Device::kA, "VirtualSurroundEffectControl", 0, surround);
    }
    levelDefault("VolumeControl", -1);
    intDefault(Device::kB, "MuteControl");
    levelDefault("VolumeScalarControl", -1);
    levelDefault("AAVolumeControl", 0);
    intDefault(Device::kB, "AAMuteControl");
    levelDefault("AAVolumeScalarControl", 0);
    intDefault(Device::kB, "Enable_MAGICVOICE");
    intDefault(Device::kB, "MagicVoice_Selection");
    intDefault(Device::kB, "Enable_ENC_LFX");
}

void HeadsetAudio::ReadState() {
    if (!m_library.IsReady()) {
        return;
    }
    std::int32_t number = 0;
    double level = 0;
    std::array<std::int32_t, 1> second{-1};
    m_library.GetInt(Device::kB, "GetMaxVol", number);
    m_library.GetInt(Device::kB, "GetMinVol", number);
    m_library.GetInt(Device::kB, "GetVolStep", number);
    m_library.GetNumber(Device::kB, "VolumeControl", level, second);
    if (m_library.GetInt(Device::kB, "MuteControl", number)) {
        m_state.micMuted = number != 0;
        m_state.values[kMicInSelect] = m_state.micMuted ? 0 : 1;
    }
    second = {-1};
    if (m_library.GetNumber(Device::kB, "VolumeScalarControl", level, second)) {
        m_state.values[kMicInValue] = LevelOfScalar(level);
    }
    if (m_library.GetInt(Device::kB, "GetAAMaxVol", number)) {
        m_library.GetInt(Device::kB, "GetAAMinVol", number);
        m_library.GetInt(Device::kB, "GetAAVolStep", number);
        second = {0};
        m_library.GetNumber(Device::kB, "AAVolumeControl", level, second);
        if (m_library.GetInt(Device::kB, "AAMuteControl", number)) {
            m_state.monitorMuted = number != 0;
            m_state.values[kMonitorSelect] = m_state.monitorMuted ? 0 : 1;
        }
        second = {0};
        if (m_library.GetNumber(Device::kB, "AAVolumeScalarControl", level, second)) {
            m_state.values[kMonitorValue] = LevelOfScalar(level);
        }
        for (int band = 0; band < kEqBandCount; ++band) {
            if (m_library.GetInt(Device::kA, BandName(band), number)) {
                m_state.bands[static_cast<std::size_t>(band)] = number;
            }
        }
    }
    if ((m_library.Support(Device::kB).first & kMagicVoiceSupport) != 0 &&
        m_library.GetInt(Device::kB, "Enable_MAGICVOICE", number)) {
        m_state.values[kMagicEnable] = number != 0 ? 1 : 0;
    }
    if (m_library.GetInt(Device::kB, "MagicVoice_Selection", number) && number >= 0 &&
        number < kEffectCount) {
        m_state.values[kMagicType] = number + 1;
    }
}

bool HeadsetAudio::SetLevel(const char* scalarName, const char* levelName, std::int32_t setSecond,
                            std::int32_t getSecond, int level) {
    level = std::clamp(level, 0, kLevelMax);
    std::array<std::int32_t, 1> second{setSecond};
    if (!m_library.SetFloat(Device::kB, scalarName, static_cast<float>(level) / kLevelMax,
                            second)) {
        TraceFormat("audio: %s %d not taken\n", scalarName, level);
        return false;
    }
    double readBack = 0;
    second = {getSecond};
    m_library.GetNumber(Device::kB, levelName, readBack, second);
    return true;
}

bool HeadsetAudio::SetMicLevel(int level) {
    if (!SetLevel("VolumeScalarControl", "VolumeControl", -1, -1, level)) {
        return false;
    }
    m_state.values[kMicInValue] = std::clamp(level, 0, kLevelMax);
    return true;
}

bool HeadsetAudio::SetMonitorLevel(int level) {
    if (!SetLevel("AAVolumeScalarControl", "AAVolumeControl", 0, 1, level)) {
        return false;
    }
    m_state.values[kMonitorValue] = std::clamp(level, 0, kLevelMax);
    return true;
}

bool HeadsetAudio::ToggleMicMute() {
    m_state.micMuted = !m_state.micMuted;
    if (!m_library.SetInt(Device::kB, "MuteControl", m_state.micMuted ? 1 : 0)) {
        return false;
    }
    m_state.values[kMicInSelect] = m_state.micMuted ? 0 : 1;
    return true;
}

bool HeadsetAudio::ToggleMonitorMute() {
    m_state.monitorMuted = !m_state.monitorMuted;
    if (!m_library.SetInt(Device::kB, "AAMuteControl", m_state.monitorMuted ? 1 : 0)) {
        return false;
    }
    m_state.values[kMonitorSelect] = m_state.monitorMuted ? 0 : 1;
    return true;
}

bool HeadsetAudio::SendBands(const EqCurve& gains) {
    bool sent = m_library.SetInt(Device::kA, "Enable_EQ_GFX", 1);
    for (int band = 0; band < kEqBandCount; ++band) {
        sent =
            m_library.SetInt(Device::kA, BandName(band), gains[static_cast<std::size_t>(band)]) &&
            sent;
    }
    return sent;
}

bool HeadsetAudio::SelectEqPreset(int preset) {
    if (preset == kEqCustomType) {
        m_state.values[kEqType] = kEqCustomType;
        return SelectCustomEq(m_state.SelectedCurve());
    }
    if (preset < 1 || preset > kEqPresetCount) {
        return false;
    }
    const auto& gains = kEqPresets[static_cast<std::size_t>(preset - 1)];
    std::copy(gains.begin(), gains.end(), m_state.bands.begin());
    m_state.values[kEqType] = preset;
    return SendBands(m_state.bands);
}

void HeadsetAudio::SetEqBand(int band, int gain) {
    if (band < 0 || band >= kEqBandCount) {
        return;
    }
    if (!m_state.IsCustomMode()) {
        m_state.values[kEqType] = kEqCustomType;
        m_state.values[kCustomEqIndex] = -1;
    }
    m_state.bands[static_cast<std::size_t>(band)] = gain;
    m_library.SetInt(Device::kA, BandName(band), gain);
}

bool HeadsetAudio::SelectCustomEq(int curve) {
    if (curve < 0 || curve >= static_cast<int>(m_state.curveNames.size())) {
        return false;
    }
    m_state.bands = m_state.curves[static_cast<std::size_t>(curve)];
    m_state.values[kCustomEqIndex] = curve;
    return SendBands(m_state.bands);
}

CurveSave HeadsetAudio::SaveCustomEq(const std::string& name, const EqCurve& sliders) {
    if (name.empty()) {
        const int selected = m_state.SelectedCurve();
        if (selected < 0) {
            return CurveSave::kNothing;
        }
        m_state.curves[static_cast<std::size_t>(selected)] = sliders;
        return CurveSave::kUpdated;
    }
    if (m_state.curveNames.size() >= static_cast<std::size_t>(kMaxCurves)) {
        return CurveSave::kFull;
    }
    for (const std::string& existing : m_state.curveNames) {
        if (SameNameIgnoringCase(existing, name)) {
            return CurveSave::kDuplicate;
        }
    }
    const std::size_t added = m_state.curveNames.size();
    m_state.curveNames.push_back(name);
    m_state.curves[added] = sliders;
    m_state.values[kCustomEqIndex] = static_cast<int>(added);
    return CurveSave::kAdded;
}

bool HeadsetAudio::DeleteCustomEq() {
    const int selected = m_state.SelectedCurve();
    if (selected < 0) {
        return false;
    }
    // The gains move with their names, so every remaining curve keeps its own sound.
    m_state.curveNames.erase(m_state.curveNames.begin() + selected);
    std::move(m_state.curves.begin() + selected + 1, m_state.curves.end(),
              m_state.curves.begin() + selected);
    m_state.curves.back() = EqCurve{};
    if (m_state.curveNames.empty()) {
        m_state.values[kCustomEqIndex] = -1;
        SelectEqPreset(1);
    } else {
        SelectCustomEq(0);
    }
    return true;
}

bool HeadsetAudio::ToggleVoiceChanger(bool on) {
    bool sent = m_library.SetInt(Device::kB, "Enable_MAGICVOICE", on ? 1 : 0);
    if (on) {
        sent = m_library.SetInt(Device::kB, "Enable_MICECHO", 0) && sent;
    }
    if (!sent) {
        return false;
    }
    m_state.values[kMagicEnable] = on ? 1 : 0;
    return true;
}

bool HeadsetAudio::SelectVoiceEffect(int effect) {
    if (effect < 1 || effect > kEffectCount) {
        return false;
    }
    if (!m_library.SetInt(Device::kB, "MagicVoice_Selection", effect - 1)) {
        return false;
    }
    m_state.values[kMagicType] = effect;
    return true;
}

}  // namespace quaro
