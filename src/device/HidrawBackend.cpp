#include "device/HidrawBackend.h"

#include "device/HidPath.h"
#include "device/ReportDescriptor.h"
#include "platform/FileText.h"
#include "platform/Trace.h"

#include <libudev.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace quaro {

namespace {

std::optional<uint32_t> ReadHexFile(const std::filesystem::path& path) {
    const std::optional<std::string> text = ReadSmallFile(path);
    if (!text) {
        return std::nullopt;
    }
    try {
        size_t used = 0;
        const unsigned long value = std::stoul(*text, &used, 16);
        return static_cast<uint32_t>(value);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// "HID_ID=0003:00000C45:00007666" from the HID device's uevent.
bool ParseHidId(const std::string& uevent, HidAttributes& attributes) {
    std::istringstream lines(uevent);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("HID_ID=", 0) != 0) {
            continue;
        }
        unsigned bus = 0;
        unsigned vendor = 0;
        unsigned product = 0;
        if (std::sscanf(line.c_str() + 7, "%x:%x:%x", &bus, &vendor, &product) != 3) {
            return false;
        }
        attributes.vendorId = static_cast<uint16_t>(vendor);
        attributes.productId = static_cast<uint16_t>(product);
        return true;
    }
    return false;
}

bool IsHidrawName(const std::string& name) {
    return name.size() > 6 && name.rfind("hidraw", 0) == 0 &&
           std::all_of(name.begin() + 6, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Node order as the kernel numbers them: hidraw2 before hidraw10.
bool NodeLess(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    return a < b;
}

// The sysfs link that names the node behind a device file: by device number for character
// devices, by name for the plain files of a fixture tree.
std::filesystem::path SysfsLinkOf(const struct stat& status, const std::filesystem::path& sysfsRoot,
                                  const std::string& node) {
    if (S_ISCHR(status.st_mode)) {
        return sysfsRoot / "dev" / "char" /
               (std::to_string(major(status.st_rdev)) + ":" +
                std::to_string(minor(status.st_rdev)));
    }
    return sysfsRoot / "class" / "hidraw" / node;
}

// The node's folder in the device tree. It runs through the HID device's own name
// ("0003:0C45:7666.0005"), whose sequence number the kernel never gives twice while it runs, so
// the text tells a replugged device from the one that held the node before.
std::string SysfsIdentity(const std::filesystem::path& link) {
    std::error_code error;
    const std::filesystem::path nodeDir = std::filesystem::canonical(link, error);
    return error ? std::string() : nodeDir.string();
}

}  // namespace

HidrawBackend::HidrawBackend(std::filesystem::path sysfsRoot, std::filesystem::path devRoot)
    : m_sysfsRoot(std::move(sysfsRoot)), m_devRoot(std::move(devRoot)) {}

std::optional<std::vector<std::string>> HidrawBackend::ListNodes() const {
    std::vector<std::string> nodes;
    if (m_sysfsRoot == "/sys") {
        udev* context = udev_new();
        if (context == nullptr) {
            return std::nullopt;
        }
        udev_enumerate* enumerate = udev_enumerate_new(context);
        if (enumerate == nullptr) {
            udev_unref(context);
            return std::nullopt;
        }
        udev_enumerate_add_match_subsystem(enumerate, "hidraw");
        if (udev_enumerate_scan_devices(enumerate) < 0) {
            udev_enumerate_unref(enumerate);
            udev_unref(context);
            return std::nullopt;
        }
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
            const std::string syspath = udev_list_entry_get_name(entry);
            nodes.push_back(std::filesystem::path(syspath).filename().string());
        }
        udev_enumerate_unref(enumerate);
        udev_unref(context);
    } else {
        std::error_code error;
        for (const auto& entry :
             std::filesystem::directory_iterator(m_sysfsRoot / "class" / "hidraw", error)) {
            nodes.push_back(entry.path().filename().string());
        }
    }
    nodes.erase(std::remove_if(nodes.begin(), nodes.end(),
                               [](const std::string& n) { return !IsHidrawName(n); }),
                nodes.end());
    std::sort(nodes.begin(), nodes.end(), NodeLess);
    return nodes;
}

std::optional<HidrawNodeInfo> HidrawBackend::ReadNode(const std::string& node) const {
    return ReadNodeAt(m_sysfsRoot / "class" / "hidraw" / node);
}

std::optional<HidrawNodeInfo> HidrawBackend::ReadNodeAt(const std::filesystem::path& link) const {
    std::error_code error;
    // class/hidraw/hidrawN -> .../<usb interface>/<hid device>/hidraw/hidrawN
    const std::filesystem::path nodeDir = std::filesystem::canonical(link, error);
    if (error) {
        return std::nullopt;
    }
    const std::string node = nodeDir.filename().string();
    if (!IsHidrawName(node)) {
        return std::nullopt;
    }
    const std::filesystem::path hidDir = nodeDir.parent_path().parent_path();
    const std::filesystem::path usbInterfaceDir = hidDir.parent_path();
    const std::filesystem::path usbDeviceDir = usbInterfaceDir.parent_path();

    HidrawNodeInfo info;
    info.node = node;
    const std::optional<std::string> uevent = ReadSmallFile(hidDir / "uevent");
    if (!uevent || !ParseHidId(*uevent, info.attributes)) {
        return std::nullopt;
    }
    // Interface number and version exist only for USB devices; others keep 0.
    info.interfaceNumber =
        static_cast<uint16_t>(ReadHexFile(usbInterfaceDir / "bInterfaceNumber").value_or(0));
    info.attributes.versionNumber =
        static_cast<uint16_t>(ReadHexFile(usbDeviceDir / "bcdDevice").value_or(0));
    const std::optional<std::string> descriptor = ReadSmallFile(hidDir / "report_descriptor");
    if (!descriptor) {
        return std::nullopt;
    }
    info.reportDescriptor.assign(descriptor->begin(), descriptor->end());
    return info;
}

bool HidrawBackend::Enumerate(std::vector<std::string>& paths) {
    const std::optional<std::vector<std::string>> nodes = ListNodes();
    if (!nodes) {
        return false;
    }
    for (const std::string& node : *nodes) {
        const std::optional<HidrawNodeInfo> info = ReadNode(node);
        if (!info) {
            continue;  // removed while listing, or not a HID device we can read
        }
        const DescriptorResult parsed = ParseReportDescriptor(info->reportDescriptor);
        if (!parsed.descriptor) {
            TraceFormat("%s: report descriptor refused (%s)", node.c_str(), parsed.error.c_str());
            continue;
        }
        const std::string devNode = (m_devRoot / node).string();
        const size_t collections = parsed.descriptor->collections.size();
        for (size_t i = 0; i < collections; ++i) {
            paths.push_back(MakeHidPath(kScheme, devNode, info->attributes.vendorId,
                                        info->attributes.productId, info->interfaceNumber,
                                        collections > 1 ? static_cast<uint16_t>(i + 1) : 0));
        }
    }
    return true;
}

bool HidrawBackend::Handles(const std::string& path) const {
    return !HidPathNode(path, kScheme).empty();
}

std::optional<HidOpenedInterface> HidrawBackend::Open(const std::string& path,
                                                      const HidOpenMode& mode) {
    const std::filesystem::path devNode = HidPathNode(path, kScheme);
    if (devNode.empty()) {
        errno = EINVAL;
        return std::nullopt;
    }
    // Only our own nodes are opened, whatever a path names.
    if (!IsHidrawName(devNode.filename().string()) || devNode.parent_path() != m_devRoot) {
        errno = ENOENT;
        return std::nullopt;
    }
    // A probe that only reads must not need write permission on the node.
    const int access = mode.wantWrite ? (mode.wantRead ? O_RDWR : O_WRONLY) : O_RDONLY;
    UniqueFd fd(::open(devNode.c_str(), access | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) {
        return std::nullopt;
    }
    // The facts come from the node we now hold open, found by its device number, so a node
    // that was replaced since it was listed cannot lend the old device's identity. Nodes that
    // are not character devices (a fixture tree) are looked up by name.
    struct stat status {};
    if (::fstat(fd.Get(), &status) != 0) {
        return std::nullopt;
    }
    const std::filesystem::path link =
        SysfsLinkOf(status, m_sysfsRoot, devNode.filename().string());
    std::optional<HidrawNodeInfo> info = ReadNodeAt(link);
    std::string identity = SysfsIdentity(link);
    if (!info || identity.empty()) {
        errno = ENOENT;
        return std::nullopt;
    }
    HidOpenedInterface opened;
    opened.fd = std::move(fd);
    opened.reportDescriptor = std::move(info->reportDescriptor);
    opened.attributes = info->attributes;
    opened.interfaceNumber = info->interfaceNumber;
    opened.readsOmitUnnumberedId = true;
    opened.identity = std::move(identity);
    return opened;
}

std::string HidrawBackend::Identity(const std::string& path) {
    const std::filesystem::path devNode = HidPathNode(path, kScheme);
    if (devNode.empty() || !IsHidrawName(devNode.filename().string()) ||
        devNode.parent_path() != m_devRoot) {
        return {};
    }
    struct stat status {};
    if (::stat(devNode.c_str(), &status) != 0) {
        return {};
    }
    return SysfsIdentity(SysfsLinkOf(status, m_sysfsRoot, devNode.filename().string()));
}

}  // namespace quaro
