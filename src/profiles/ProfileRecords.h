#pragma once

// The typed copies of a device entry's groups. The device codecs consume exactly these records
// from the profile getters, so both layers share the one definition; it is header-only value
// types (no link to the device library). Assignment codes are stored in files as integers.
#include "devices/DeviceRecords.h"

#include <array>
#include <cstdint>

namespace quaro {

// Three 32-bit words of two 16-bit halves, low half first.
using SystemWords = std::array<std::uint32_t, 3>;

}  // namespace quaro
