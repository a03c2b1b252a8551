// The audio library's get replies as the headset page reads them: whatever the library left in
// the 1024-byte buffer, the text and the support fields are read within it.

#include "devices/headset/OsConfAbi.h"
#include "devices/headset/OsConfLibrary.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quaro;
    // Exactly the page's buffer, so a read past its end is one past an allocation.
    std::array<std::uint8_t, kOsConfValueSize> buffer{};
    std::copy_n(data, std::min(size, buffer.size()), buffer.begin());
    const std::string text = OsConfReplyText(buffer);
    if (text.size() > buffer.size()) {
        __builtin_trap();
    }
    (void)ParseOsConfSupport(text);
    return 0;
}
