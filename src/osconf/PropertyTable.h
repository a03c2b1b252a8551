#pragma once

#include "osconf/HeadsetMixer.h"

#include <optional>
#include <string_view>

namespace quaro {

// Device A is the headphones (flow 0), device B the microphone (flow 1).
enum class AudioDevice { kA, kB };

enum class PropertyKind {
    kLevel,      // 0.0-1.0; set: 32-bit float, get: text
    kLevelUnit,  // the element's unit (decibels, or raw steps); set: 32-bit float, get: text
    kMute,       // 32-bit integer, 1 = muted
    kUnitMax,    // get only, 32-bit integer: hundredths of a decibel, or raw steps
    kUnitMin,
    kUnitStep,
    kSupport,  // get only: comma-separated text
    kKept,     // 32-bit integer in [min, max], kept by the library
};

struct PropertySpec {
    std::string_view name;
    AudioDevice device;
    PropertyKind kind;
    HeadsetLevel level = HeadsetLevel::kMicrophone;  // for the mixer kinds
    int min = 0;                                     // for kept values
    int max = 0;
};

// The property of that name, if the library has one.
std::optional<PropertySpec> FindProperty(std::string_view name);

// Bit 0x20000 of the microphone's first support field: the voice changer is there.
inline constexpr int kSupportVoiceChanger = 0x20000;
inline constexpr int kSupportEqualiser = 0x1;
inline constexpr int kSupportRoom = 0x2;
inline constexpr int kSupportSurround = 0x4;
inline constexpr int kSupportNoiseSuppression = 0x10000;
inline constexpr int kSupportMicEcho = 0x40000;

}  // namespace quaro
