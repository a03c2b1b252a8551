#pragma once

#include "osconf/HeadsetCard.h"
#include "osconf/KeptProperties.h"
#include "osconf/OsConfApi.h"
#include "osconf/PropertyTable.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace quaro {

// What the library's entry points do, for the headset's card: two devices, the headphones
// (flow 0, device A) and the microphone (flow 1, device B), levels and mutes on the card's
// mixer, everything else kept in the settings folder. Not thread-safe: the entry points
// serialise the calls.
class AudioLibrary {
public:
    struct Places {
        std::filesystem::path settingsFolder;  // where the kept-property document lives
        std::filesystem::path busFolder;       // the simulated bus, for the simulated headset
    };
    // Asked at ConfLibInit, so the folders follow the environment of the process then.
    using PlacesSource = std::function<Places()>;
    // Finds the headset's card; tests hand in their own.
    using CardFinder = std::function<std::unique_ptr<HeadsetCard>(const Places&)>;

    explicit AudioLibrary(PlacesSource places, CardFinder finder = DefaultFinder);

    int Init();
    int CreateDeviceList();
    int GetDeviceCount(int flow, int* count) const;
    int GetDeviceById(int flow, int index, OsConfDevice* device) const;
    int Property(const OsConfDevice& device, const char16_t* name, void* value, int set);

    // The card of the current list; null before CreateDeviceList or without a headset.
    HeadsetCard* Card() const { return m_card.get(); }

    static std::unique_ptr<HeadsetCard> DefaultFinder(const Places& places);

private:
    bool IsListed(const OsConfDevice& device, AudioDevice& which) const;
    int Get(const PropertySpec& property, AudioDevice device, void* value);
    int Set(const PropertySpec& property, void* value);
    std::string SupportText(AudioDevice device) const;

    PlacesSource m_placesSource;
    CardFinder m_finder;
    bool m_initialised = false;
    Places m_places;
    std::unique_ptr<HeadsetCard> m_card;
    std::unique_ptr<KeptProperties> m_kept;
    // Changes with every list, so a record from an earlier one (another card) is refused.
    uint32_t m_generation = 0;
};

// The ASCII text of a NUL-terminated UTF-16 name of at most 64 units; empty for a longer one,
// one without a terminator in reach, or one with other characters.
std::string PropertyNameText(const char16_t* name);

}  // namespace quaro
