#include "DeviceListing.h"

#include "device/Catalogue.h"
#include "device/HidDevice.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quaro {

std::vector<ListedInterface> ListCataloguedInterfaces(const std::shared_ptr<HidBackend>& backend,
                                                      std::vector<ListingProblem>& problems) {
    std::vector<ListedInterface> listed;
    HidDevice device(backend);
    if (!device.Enumerate()) {
        return listed;
    }
    while (std::optional<std::string> path = device.NextPath()) {
        DeviceInterfaceEntry entry = EntryFromPath(*path);
        if (!IsCatalogued(entry)) {
            continue;
        }
        // The probe discovery makes: read access is enough to learn the usages.
        if (!device.Open(*path, true, false, true, false)) {
            problems.push_back({*path, device.LastOpenError()});
            continue;
        }
        entry.usagePage = device.Capabilities().usagePage;
        entry.usage = device.Capabilities().usage;
        device.Close();
        if (FindCatalogueRow(entry) >= 0) {
            entry.devicePath = *path;
            listed.push_back({*path, entry});
        }
    }
    return listed;
}

std::string_view KindName(uint16_t kind) {
    switch (kind) {
        case kKindKeyboard:
            return "keyboard";
        case kKindMouse:
        case kKindMouseSlowLink:
            return "mouse";
        case kKindMousePad:
            return "mousepad";
        case kKindHeadset:
            return "headset";
        default:
            return "unknown";
    }
}

std::optional<uint16_t> KindByName(std::string_view name) {
    for (uint16_t kind : {kKindKeyboard, kKindMouse, kKindMousePad, kKindHeadset}) {
        if (KindName(kind) == name) {
            return kind;
        }
    }
    return std::nullopt;
}

std::string OpenErrorText(int error, std::string_view path) {
    switch (error) {
        case EACCES:
        case EPERM: {
            if (path.empty()) {
                return "permission denied (the hidraw node needs read and write access for "
                       "this user: install the udev rules 70-quaro.rules)";
            }
            char ids[16];
            std::snprintf(ids, sizeof ids, "%04x:%04x", PathVendorId(path), PathProductId(path));
            return std::string("permission denied: the udev rule for ") + ids +
                   " in 70-quaro.rules is not installed or not applied (install the rules into "
                   "/etc/udev/rules.d/, run 'udevadm control --reload' and plug the device in "
                   "again)";
        }
        case EBUSY:
            return "device busy";
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "no such device (it was unplugged)";
        case ENAMETOOLONG:
            return "device path too long";
        case EPROTO:
            return "the device's report descriptor was refused";
        default:
            return std::strerror(error);
    }
}

}  // namespace quaro
