// Update server replies come from the network: any bytes must give a result, never a crash.
#include "platform/Trace.h"
#include "update/UpdateProtocol.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool silenced = (quaro::SetTraceSink({}), true);
    (void)silenced;
    if (size == 0 || size >= quaro::kReplyBufferSize) {
        return 0;
    }
    // The first byte picks the line: kind 0 (decimal) or a firmware kind (hexadecimal).
    quaro::UpdateEntry entry = quaro::BuildUpdateEntries({0x0102}, 103)[data[0] & 1 ? 0 : 3];
    const std::string_view reply(reinterpret_cast<const char*>(data + 1), size - 1);
    const quaro::UpdateResult result = quaro::ParseUpdateReply(reply, entry);
    if (result.status && *result.status != quaro::kStatusNewer &&
        *result.status != quaro::kStatusCurrent) {
        std::abort();
    }
    if (result.status && entry.kind != 0 && result.newestVersionText.rfind('V', 0) != 0) {
        std::abort();
    }
    return 0;
}
