#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quaro {

// The simulated HID bus is a folder. Each simulated interface is two files in it:
//   <name>.sock  a SOCK_SEQPACKET Unix socket; one message is one report, report id first,
//                output reports host to device, input reports device to host;
//   <name>.json  its description (below), published only after the socket listens, so an
//                interface whose description is visible can be connected to.
// An interface whose socket is missing, refuses connections or hangs up has been unplugged.
inline constexpr const char* kSimSocketSuffix = ".sock";
inline constexpr const char* kSimDescriptionSuffix = ".json";

struct SimInterfaceDescription {
    std::string name;  // file stem, unique in the bus folder
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;
    uint16_t interfaceNumber = 0;
    std::vector<uint8_t> reportDescriptor;
    std::string product;
};

// $XDG_RUNTIME_DIR/quaro-hid-sim, or a per-user folder under /tmp when the variable is unset.
std::filesystem::path DefaultSimBusFolder();

// JSON keys "vendorId", "productId", "version", "interfaceNumber" (numbers), "reportDescriptor"
// (hexadecimal text), "product" (text). The name comes from the file stem.
std::string FormatSimDescription(const SimInterfaceDescription& description);

// Empty when the text is not a well-formed description (missing or out-of-range fields, odd or
// non-hex descriptor text).
std::optional<SimInterfaceDescription> ParseSimDescription(const std::string& name,
                                                           const std::string& text);

// Writes <folder>/<name>.json through a temporary file and a rename, so readers never see half.
bool PublishSimDescription(const std::filesystem::path& folder,
                           const SimInterfaceDescription& description);

// Every readable description in the folder, ordered by name.
std::vector<SimInterfaceDescription> ListSimInterfaces(const std::filesystem::path& folder);

}  // namespace quaro
