#include "devices/keyboard/MacroImage.h"

#include <algorithm>
#include <new>

namespace quaro {
namespace {

constexpr std::size_t kHeaderSize = 16;

void Put16(std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t value) {
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

std::size_t MacroImage::Length(std::span<const MacroEvents> macros) {
    std::size_t length = kHeaderSize + 6 * macros.size();
    for (const MacroEvents& events : macros) {
        length += 4 * events.size();
    }
    return length;
}

MacroImageResult MacroImage::Pack(std::span<const MacroEvents> macros, std::size_t capacityBytes) {
    MacroImageResult result;
    if (macros.empty()) {
        return result;
    }
    const std::size_t length = Length(macros);
    if (length > capacityBytes) {
        result.status = static_cast<int>((length - capacityBytes) / 4 + 1);
        return result;
    }
    try {
        result.bytes.assign(length, 0);
    } catch (const std::bad_alloc&) {
        result.status = -1;
        return result;
    }
    std::vector<std::uint8_t>& bytes = result.bytes;
    bytes[0] = 0xAA;
    bytes[1] = 0x55;
    Put16(bytes, 2, length);
    Put16(bytes, 4, macros.size());
    std::size_t offset = kHeaderSize + 2 * macros.size();
    for (std::size_t m = 0; m < macros.size(); ++m) {
        Put16(bytes, kHeaderSize + 2 * m, offset);
        Put16(bytes, offset, macros[m].size());
        offset += 4;
        for (const MacroEvent& event : macros[m]) {
            const CompactEventRecord record = ToCompactRecord(event);
            std::copy(record.begin(), record.end(),
                      bytes.begin() + static_cast<std::ptrdiff_t>(offset));
            offset += record.size();
        }
    }
    return result;
}

}  // namespace quaro
