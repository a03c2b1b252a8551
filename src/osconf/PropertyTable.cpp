#include "osconf/PropertyTable.h"

#include <array>

namespace quaro {
namespace {

using enum PropertyKind;
constexpr HeadsetLevel kMic = HeadsetLevel::kMicrophone;
constexpr HeadsetLevel kMon = HeadsetLevel::kMonitor;
constexpr AudioDevice kA = AudioDevice::kA;
constexpr AudioDevice kB = AudioDevice::kB;

// Equaliser gains in decibels, wide enough for every preset of the headset page; the other
// kept values are flags or small choices.
constexpr int kBandLimit = 24;

constexpr std::array kProperties = {
    PropertySpec{"VolumeScalarControl", kB, kLevel, kMic},
    PropertySpec{"VolumeControl", kB, kLevelUnit, kMic},
    PropertySpec{"MuteControl", kB, kMute, kMic},
    PropertySpec{"GetMaxVol", kB, kUnitMax, kMic},
    PropertySpec{"GetMinVol", kB, kUnitMin, kMic},
    PropertySpec{"GetVolStep", kB, kUnitStep, kMic},
    PropertySpec{"AAVolumeScalarControl", kB, kLevel, kMon},
    PropertySpec{"AAVolumeControl", kB, kLevelUnit, kMon},
    PropertySpec{"AAMuteControl", kB, kMute, kMon},
    PropertySpec{"GetAAMaxVol", kB, kUnitMax, kMon},
    PropertySpec{"GetAAMinVol", kB, kUnitMin, kMon},
    PropertySpec{"GetAAVolStep", kB, kUnitStep, kMon},
    PropertySpec{"GetSupportFeature", kA, kSupport},
    PropertySpec{"Enable_MAGICVOICE", kB, kKept, kMic, 0, 1},
    PropertySpec{"Enable_MICECHO", kB, kKept, kMic, 0, 1},
    PropertySpec{"MagicVoice_Selection", kB, kKept, kMic, 0, 3},
    PropertySpec{"Enable_ENC_LFX", kB, kKept, kMic, 0, 1},
    PropertySpec{"ENC_SELFCALIB", kB, kKept, kMic, 0, 1},
    PropertySpec{"Enable_EQ_GFX", kA, kKept, kMic, 0, 1},
    PropertySpec{"EQ_Slider1", kA, kKept, kMic, -kBandLimit, kBandLimit},
    PropertySpec{"EQ_Slider2", kA, kKept, kMic, -kBandLimit, kBandLimit},
    PropertySpec{"EQ_Slider3", kA, kKept, kMic, -kBandLimit, kBandLimit},
    PropertySpec{"EQ_Slider4", kA, kKept, kMic, -kBandLimit, kBandLimit},
    PropertySpec{"EQ_Slider5", kA, kKept, kMic, -kBandLimit, kBandLimit},
    PropertySpec{"EQ_Slider6", kA, kKept, kMic, -kBandLimit, kBandLimit},
    PropertySpec{"EQ_Slider7", kA, kKept, kMic, -kBandLimit, kBandLimit},
    PropertySpec{"EQ_Slider8", kA, kKept, kMic, -kBandLimit, kBandLimit},
    PropertySpec{"EQ_Slider9", kA, kKept, kMic, -kBandLimit, kBandLimit},
    PropertySpec{"EQ_Slider10", kA, kKept, kMic, -kBandLimit, kBandLimit},
    PropertySpec{"Enable_RFX_GFX", kA, kKept, kMic, 0, 1},
    PropertySpec{"RFX_ENVIRONMENT", kA, kKept, kMic, 0, 25},
    PropertySpec{"RFX_ROOMSIZE", kA, kKept, kMic, 0, 100},
    PropertySpec{"VirtualSurroundEffectControl", kA, kKept, kMic, 0, 1},
};

}  // namespace

std::optional<PropertySpec> FindProperty(std::string_view name) {
    for (const PropertySpec& property : kProperties) {
        if (property.name == name) {
            return property;
        }
    }
    return std::nullopt;
}

}  // namespace quaro
