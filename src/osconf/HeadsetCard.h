#pragma once

#include "osconf/HeadsetMixer.h"

#include <filesystem>
#include <memory>
#include <string>

namespace quaro {

// The USB identity of the headset whose sound card the library serves.
inline constexpr unsigned kHeadsetVendorId = 0x0D8C;
inline constexpr unsigned kHeadsetProductId = 0x01DA;

// The headset's sound card as the library found it.
struct HeadsetCard {
    int cardNumber = -1;  // -1: the simulated headset
    // Names the card in the kept-property file: the USB identity and serial number (or its
    // place on the bus) of a real headset, "simulated" for the simulated one.
    std::string key;
    std::string description;
    std::unique_ptr<HeadsetMixer> mixer;
};

// The ALSA card whose USB parent device is the headset, found through udev; without one, the
// simulated headset's mixer in busFolder; empty when there is neither.
std::unique_ptr<HeadsetCard> FindHeadsetCard(const std::filesystem::path& busFolder);

}  // namespace quaro
