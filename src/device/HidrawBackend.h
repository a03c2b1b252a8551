#pragma once

#include "device/HidBackend.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quaro {

// What sysfs says about one hidraw node.
struct HidrawNodeInfo {
    std::string node;  // "hidraw3"
    HidAttributes attributes;
    uint16_t interfaceNumber = 0;
    std::vector<uint8_t> reportDescriptor;
};

// The kernel's raw HID nodes. On the real roots ("/sys", "/dev") the nodes are listed through
// libudev; with other roots (a fixture tree in tests) by reading <sysfs>/class/hidraw. Either way
// vendor and product come from the HID parent's HID_ID, the version from the USB device's
// bcdDevice, the interface number from the USB interface's bInterfaceNumber and the report
// descriptor from the HID parent's report_descriptor file.
class HidrawBackend : public HidBackend {
public:
    static constexpr const char* kScheme = "hidraw";

    HidrawBackend(std::filesystem::path sysfsRoot = "/sys", std::filesystem::path devRoot = "/dev");

    bool Enumerate(std::vector<std::string>& paths) override;
    bool Handles(const std::string& path) const override;
    std::optional<HidOpenedInterface> Open(const std::string& path,
                                           const HidOpenMode& mode) override;
    std::string Identity(const std::string& path) override;

    // Reads one node's facts from its sysfs folder (class/hidraw/<node> resolved).
    std::optional<HidrawNodeInfo> ReadNode(const std::string& node) const;

private:
    // The facts of the sysfs folder a link (class/hidraw/<node>, dev/char/<major>:<minor>)
    // resolves to.
    std::optional<HidrawNodeInfo> ReadNodeAt(const std::filesystem::path& link) const;

    // Nothing when the device list cannot be read at all.
    std::optional<std::vector<std::string>> ListNodes() const;

    std::filesystem::path m_sysfsRoot;
    std::filesystem::path m_devRoot;
};

}  // namespace quaro
