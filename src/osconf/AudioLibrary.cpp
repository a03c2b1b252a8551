#include "osconf/AudioLibrary.h"

#include "platform/Trace.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace quaro {
namespace {

constexpr std::size_t kMaxNameUnits = 64;
constexpr uint32_t kHandleFlowBits = 4;

// Fields: features, three unused, the ALSA card number (-1 simulated), unused, the library's
// interface version.
constexpr int kInterfaceVersion = 1;

void PutText(void* value, const std::string& text) {
    std::memset(value, 0, kOsConfValueBytes);
    std::memcpy(value, text.data(), std::min<std::size_t>(text.size(), kOsConfValueBytes - 1));
}

void PutInt(void* value, int32_t number) {
    std::memset(value, 0, kOsConfValueBytes);
    std::memcpy(value, &number, sizeof number);
}

int32_t TakeInt(const void* value) {
    int32_t number = 0;
    std::memcpy(&number, value, sizeof number);
    return number;
}

float TakeFloat(const void* value) {
    float number = 0;
    std::memcpy(&number, value, sizeof number);
    return number;
}

std::string Format(const char* format, double number) {
    char text[64];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

}  // namespace

std::string PropertyNameText(const char16_t* name) {
    std::string text;
    for (std::size_t i = 0; i <= kMaxNameUnits; ++i) {
        const char16_t unit = name[i];
        if (unit == 0) {
            return text;
        }
        if (unit < 0x20 || unit > 0x7E || i == kMaxNameUnits) {
            return {};
        }
        text += static_cast<char>(unit);
    }
    return {};
}

AudioLibrary::AudioLibrary(PlacesSource places, CardFinder finder)
    : m_placesSource(std::move(places)), m_finder(std::move(finder)) {}

std::unique_ptr<HeadsetCard> AudioLibrary::DefaultFinder(const Places& places) {
    return FindHeadsetCard(places.busFolder);
}

int AudioLibrary::Init() {
    m_places = m_placesSource();
    m_initialised = true;
    return 0;
}

int AudioLibrary::CreateDeviceList() {
    if (!m_initialised) {
        return kOsConfNotInitialised;
    }
    m_kept.reset();
    m_card = m_finder(m_places);
    ++m_generation;
    if (m_card) {
        TraceFormat("osConfLib: headset sound card: %s\n", m_card->description.c_str());
        m_kept = std::make_unique<KeptProperties>(
            m_places.settingsFolder / KeptProperties::kFileName, m_card->key);
    } else {
        Trace("osConfLib: no headset sound card\n");
    }
    return 0;
}

int AudioLibrary::GetDeviceCount(int flow, int* count) const {
    if (count == nullptr || (flow != kOsConfFlowPlayback && flow != kOsConfFlowCapture)) {
        return kOsConfBadArgument;
    }
    if (!m_initialised) {
        return kOsConfNotInitialised;
    }
    *count = m_card ? 1 : 0;
    return 0;
}

int AudioLibrary::GetDeviceById(int flow, int index, OsConfDevice* device) const {
    if (device == nullptr || (flow != kOsConfFlowPlayback && flow != kOsConfFlowCapture)) {
        return kOsConfBadArgument;
    }
    if (!m_initialised) {
        return kOsConfNotInitialised;
    }
    if (!m_card || index != 0) {
        return kOsConfBadArgument;
    }
    device->handle = (m_generation << kHandleFlowBits) | static_cast<uint32_t>(flow + 1);
    device->type = flow == kOsConfFlowPlayback ? 1 : 2;
    device->card = m_card->cardNumber;
    device->state = 1;
    return 0;
}

bool AudioLibrary::IsListed(const OsConfDevice& device, AudioDevice& which) const {
    if (!m_card || (device.handle >> kHandleFlowBits) != m_generation) {
        return false;
    }
    const uint32_t flow = (device.handle & ((1u << kHandleFlowBits) - 1)) - 1;
    if (flow == kOsConfFlowPlayback) {
        which = AudioDevice::kA;
        return true;
    }
    if (flow == kOsConfFlowCapture) {
        which = AudioDevice::kB;
        return true;
    }
    return false;
}

int AudioLibrary::Property(const OsConfDevice& device, const char16_t* name, void* value, int set) {
    if (name == nullptr || value == nullptr || (set != kOsConfGet && set != kOsConfSet)) {
        return kOsConfBadArgument;
    }
    if (!m_initialised) {
        return kOsConfNotInitialised;
    }
    AudioDevice which = AudioDevice::kA;
    if (!IsListed(device, which)) {
        return kOsConfUnknownDevice;
    }
    const std::string text = PropertyNameText(name);
    const std::optional<PropertySpec> property = FindProperty(text);
    // Both devices tell what they support; every other property belongs to one of them.
    if (!property || (property->kind != PropertyKind::kSupport && property->device != which)) {
        return kOsConfUnknownProperty;
    }
    return set == kOsConfSet ? Set(*property, value) : Get(*property, which, value);
}

std::string AudioLibrary::SupportText(AudioDevice device) const {
    const int features = device == AudioDevice::kA
                             ? kSupportEqualiser | kSupportRoom | kSupportSurround
                             : kSupportVoiceChanger | kSupportNoiseSuppression | kSupportMicEcho;
    char text[96];
    std::snprintf(text, sizeof text, "%d,0,0,0,%d,0,%d", features, m_card->cardNumber,
                  kInterfaceVersion);
    return text;
}

int AudioLibrary::Get(const PropertySpec& property, AudioDevice device, void* value) {
    HeadsetMixer& mixer = *m_card->mixer;
    switch (property.kind) {
        case PropertyKind::kLevel: {
            const std::optional<double> level = mixer.Level(property.level);
            if (!level) {
                return kOsConfDeviceError;
            }
            PutText(value, Format("%.6f", *level));
            return 0;
        }
        case PropertyKind::kLevelUnit: {
            const std::optional<long> unit = mixer.Unit(property.level);
            if (!unit) {
                return kOsConfDeviceError;
            }
            PutText(value, mixer.UnitIsDb(property.level)
                               ? Format("%.2f", static_cast<double>(*unit) / 100.0)
                               : std::to_string(*unit));
            return 0;
        }
        case PropertyKind::kMute: {
            const std::optional<bool> muted = mixer.Muted(property.level);
            if (!muted) {
                return kOsConfDeviceError;
            }
            PutInt(value, *muted ? 1 : 0);
            return 0;
        }
        case PropertyKind::kUnitMax:
        case PropertyKind::kUnitMin:
        case PropertyKind::kUnitStep: {
            const std::optional<HeadsetMixer::Limits> limits = mixer.UnitLimits(property.level);
            if (!limits) {
                return kOsConfDeviceError;
            }
            const long number = property.kind == PropertyKind::kUnitMax   ? limits->max
                                : property.kind == PropertyKind::kUnitMin ? limits->min
                                                                          : limits->step;
            PutInt(value, static_cast<int32_t>(number));
            return 0;
        }
        case PropertyKind::kSupport:
            PutText(value, SupportText(device));
            return 0;
        case PropertyKind::kKept: {
            const std::optional<int> kept = m_kept->Get(std::string(property.name));
            if (!kept) {
                return kOsConfNoValue;
            }
            PutInt(value, *kept);
            return 0;
        }
    }
    return kOsConfUnknownProperty;
}

int AudioLibrary::Set(const PropertySpec& property, void* value) {
    HeadsetMixer& mixer = *m_card->mixer;
    switch (property.kind) {
        case PropertyKind::kLevel: {
            const float level = TakeFloat(value);
            if (!std::isfinite(level)) {
                return kOsConfBadArgument;
            }
            return mixer.SetLevel(property.level, level) ? 0 : kOsConfDeviceError;
        }
        case PropertyKind::kLevelUnit: {
            const float unit = TakeFloat(value);
            if (!std::isfinite(unit)) {
                return kOsConfBadArgument;
            }
            const double own = mixer.UnitIsDb(property.level) ? unit * 100.0 : unit;
            return mixer.SetUnit(property.level, own) ? 0 : kOsConfDeviceError;
        }
        case PropertyKind::kMute:
            return mixer.SetMuted(property.level, TakeInt(value) != 0) ? 0 : kOsConfDeviceError;
        case PropertyKind::kKept: {
            const int32_t number = TakeInt(value);
            if (number < property.min || number > property.max) {
                return kOsConfBadArgument;
            }
            return m_kept->Set(std::string(property.name), number) ? 0 : kOsConfDeviceError;
        }
        case PropertyKind::kUnitMax:
        case PropertyKind::kUnitMin:
        case PropertyKind::kUnitStep:
        case PropertyKind::kSupport:
            return kOsConfUnknownProperty;
    }
    return kOsConfUnknownProperty;
}

}  // namespace quaro
