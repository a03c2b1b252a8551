#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace quaro {

// The whole content of a small file (a sysfs attribute, a simulated-bus description), read to
// its end rather than by its size, since sysfs reports a size that is not the content's. Empty
// optional when the file cannot be opened or holds more than maxBytes.
std::optional<std::string> ReadSmallFile(const std::filesystem::path& path,
                                         std::size_t maxBytes = 1024 * 1024);

}  // namespace quaro
