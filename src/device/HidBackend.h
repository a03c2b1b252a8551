#pragma once

#include "platform/UniqueFd.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quaro {

// Vendor id, product id and version number of an interface's device.
struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
};

// How HidDevice::Open asks for an interface. Linux has no share modes on device nodes, so
// `exclusive` is recorded but does not keep other processes out.
struct HidOpenMode {
    bool wantRead = false;
    bool wantWrite = false;
    bool overlapped = false;
    bool exclusive = false;
};

// What a backend hands HidDevice for one opened interface: a pollable descriptor that moves one
// report per read or write (HidDevice makes it non-blocking), and what the device says about
// itself.
struct HidOpenedInterface {
    UniqueFd fd;
    std::vector<uint8_t> reportDescriptor;
    HidAttributes attributes;
    // The USB interface the node belongs to now, which HidDevice checks against the path.
    uint16_t interfaceNumber = 0;
    // hidraw delivers reports of unnumbered devices without the report id byte; HidDevice puts
    // the 0 back so that every caller sees reports laid out the same way.
    bool readsOmitUnnumberedId = false;
    // Who is behind the node, as Identity reports it for the path (see there).
    std::string identity;
};

// One source of HID interfaces. Paths are "<scheme>:<node>#vid_vvvv&pid_pppp&mi_ii[&colcc]",
// one per top-level collection, "&col" only when the interface has more than one.
class HidBackend {
public:
    virtual ~HidBackend() = default;

    // Appends the path of every present interface collection, in a stable order.
    virtual bool Enumerate(std::vector<std::string>& paths) = 0;

    // Whether the path is one of this backend's.
    virtual bool Handles(const std::string& path) const = 0;

    // Opens the node behind a path. On failure returns nothing and sets errno.
    virtual std::optional<HidOpenedInterface> Open(const std::string& path,
                                                   const HidOpenMode& mode) = 0;

    // Names the device instance behind a path as it is now; empty when nothing answers there.
    // A node can be handed to another device (or to the same device plugged in again) between
    // two looks, so whoever holds a path compares this text with the one its Open reported
    // instead of only asking whether the node exists.
    virtual std::string Identity(const std::string& path) = 0;
};

// Enumerates all its backends in turn and opens a path with the backend that handles it.
class CompositeHidBackend : public HidBackend {
public:
    explicit CompositeHidBackend(std::vector<std::shared_ptr<HidBackend>> backends);

    bool Enumerate(std::vector<std::string>& paths) override;
    bool Handles(const std::string& path) const override;
    std::optional<HidOpenedInterface> Open(const std::string& path,
                                           const HidOpenMode& mode) override;
    std::string Identity(const std::string& path) override;

private:
    std::vector<std::shared_ptr<HidBackend>> m_backends;
};

// The backends the application and the tools use: hidraw on the real /sys and /dev, then the
// simulated bus in its default folder.
std::shared_ptr<HidBackend> MakeDefaultHidBackend();

}  // namespace quaro
