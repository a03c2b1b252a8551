#include "osconf/HeadsetCard.h"

#include "osconf/AlsaMixer.h"
#include "osconf/SimulatedMixer.h"
#include "platform/Trace.h"
#include "sim/SimMixer.h"

#include <libudev.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace quaro {
namespace {

struct UsbSoundCard {
    int number = -1;
    std::string key;
    std::string description;
};

std::string Attribute(udev_device* device, const char* name) {
    const char* value = udev_device_get_sysattr_value(device, name);
    return value == nullptr ? std::string() : std::string(value);
}

bool IsHeadset(udev_device* usb) {
    const std::string vendor = Attribute(usb, "idVendor");
    const std::string product = Attribute(usb, "idProduct");
    return !vendor.empty() && !product.empty() &&
           std::strtoul(vendor.c_str(), nullptr, 16) == kHeadsetVendorId &&
           std::strtoul(product.c_str(), nullptr, 16) == kHeadsetProductId;
}

// The first sound card ("cardN" under the sound class) with the headset as its USB device.
std::optional<UsbSoundCard> FindUsbCard() {
    udev* context = udev_new();
    if (context == nullptr) {
        return std::nullopt;
    }
    std::optional<UsbSoundCard> found;
    udev_enumerate* enumerate = udev_enumerate_new(context);
    if (enumerate != nullptr && udev_enumerate_add_match_subsystem(enumerate, "sound") >= 0 &&
        udev_enumerate_add_match_sysname(enumerate, "card[0-9]*") >= 0 &&
        udev_enumerate_scan_devices(enumerate) >= 0) {
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
            if (found) {
                break;
            }
            udev_device* card =
                udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
            if (card == nullptr) {
                continue;
            }
            // The parent belongs to the card; it is not released on its own.
            udev_device* usb =
                udev_device_get_parent_with_subsystem_devtype(card, "usb", "usb_device");
            const char* number = udev_device_get_sysnum(card);
            if (usb != nullptr && number != nullptr && IsHeadset(usb)) {
                const std::string serial = Attribute(usb, "serial");
                const char* place = udev_device_get_sysname(usb);
                char identity[16];
                std::snprintf(identity, sizeof identity, "%04x:%04x", kHeadsetVendorId,
                              kHeadsetProductId);
                found = UsbSoundCard{
                    std::atoi(number),
                    std::string(identity) + " " +
                        (serial.empty() ? std::string("usb ") + (place ? place : "") : serial),
                    Attribute(usb, "product")};
            }
            udev_device_unref(card);
        }
    }
    if (enumerate != nullptr) {
        udev_enumerate_unref(enumerate);
    }
    udev_unref(context);
    return found;
}

}  // namespace

std::unique_ptr<HeadsetCard> FindHeadsetCard(const std::filesystem::path& busFolder) {
    if (const std::optional<UsbSoundCard> usb = FindUsbCard()) {
        if (std::unique_ptr<AlsaMixer> mixer = AlsaMixer::Open(usb->number)) {
            auto card = std::make_unique<HeadsetCard>();
            card->cardNumber = usb->number;
            card->key = usb->key;
            card->description = "card " + std::to_string(usb->number) + " " + usb->description;
            card->mixer = std::make_unique<HeadsetMixer>(std::move(mixer));
            return card;
        }
    }
    if (const std::optional<SimMixer> simulated = ReadSimMixer(busFolder)) {
        auto card = std::make_unique<HeadsetCard>();
        card->key = "simulated";
        card->description = simulated->card + " in " + busFolder.string();
        card->mixer = std::make_unique<HeadsetMixer>(std::make_unique<SimulatedMixer>(busFolder));
        return card;
    }
    return nullptr;
}

}  // namespace quaro
