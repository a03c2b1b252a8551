#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quaro {

// Device kind codes, used by every table and throughout the application.
enum DeviceKind : uint16_t {
    kKindKeyboard = 1,
    kKindMouse = 2,
    kKindMousePad = 3,
    kKindMouseSlowLink = 6,  // a mouse behind a slow link: kind 2 for pages, long channel time-outs
    kKindHeadset = 7,
};

// Interface role codes.
enum InterfaceRole : uint16_t {
    kRolePrimary = 0,      // carries the command channel and owns the device page
    kRoleSecondary = 255,  // consumer-control collection of the same device
};

// One supported HID interface: a catalogue row, and the element of discovery's slot table.
struct DeviceInterfaceEntry {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collection = 0;  // 0 when the path has no "&col"
    uint16_t kind = 0;
    uint16_t role = 0;
    uint16_t connected = 0;  // slot table only: 1 while an interface is bound to the row
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t paired = 0;
    uint16_t partner = 0;
    std::string devicePath;  // slot table only: the bound interface's path

    // The comparison discovery and page binding use: everything that names the interface.
    bool SameInterface(const DeviceInterfaceEntry& other) const {
        return vendorId == other.vendorId && productId == other.productId &&
               interfaceNumber == other.interfaceNumber && collection == other.collection &&
               usagePage == other.usagePage && usage == other.usage;
    }
};

// How one device type is presented in the main window.
struct DeviceTypeEntry {
    std::string_view tabLayout;
    std::string_view tabGroup;
    std::string_view powerContainer;
    std::string_view kindName;
    int32_t reserved[3];
    int32_t pageStyle;
    uint32_t vendorId;
    uint32_t productId;
    uint32_t kind;
    uint32_t role;
};

// The device page of a device type; row i belongs to row i of the device type table.
struct DevicePageEntry {
    int32_t lightCount;
    int32_t keyCount;
    int32_t powerMode;
    int32_t specialLightIndex;  // mouse page only; -1 = none
    std::string_view pageLayout;
    std::string_view lightName;
};

}  // namespace quaro
