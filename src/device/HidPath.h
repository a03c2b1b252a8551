#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quaro {

// Builds "<scheme>:<node>#vid_vvvv&pid_pppp&mi_ii" plus "&colcc" when collection is non-zero,
// so that the catalogue's path parsers read the interface as they would a Windows path.
std::string MakeHidPath(std::string_view scheme, std::string_view node, uint16_t vendorId,
                        uint16_t productId, uint16_t interfaceNumber, uint16_t collection);

// The node of a path of the given scheme: the text between "<scheme>:" and the last '#'.
// Empty when the path is not of that scheme.
std::string HidPathNode(std::string_view path, std::string_view scheme);

}  // namespace quaro
