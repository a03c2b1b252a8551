// Every stored document passes through this parse and back through the writer.
#include "platform/Trace.h"
#include "profiles/JsonFileStore.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool silenced = (quaro::SetTraceSink({}), true);
    (void)silenced;
    const Json::Value root = quaro::JsonFileStore::ParseDocument(
        std::string_view(reinterpret_cast<const char*>(data), size));
    // Whatever was read must write back as a readable document: a profile that a hand edit
    // made odd must never turn into one the next start cannot load. (Writing may normalise:
    // invalid UTF-8 becomes U+FFFD and names cut at a NUL may merge, so equality is not asked.)
    if (root.isNull()) {
        return 0;
    }
    const std::string text = quaro::JsonFileStore::FormatDocument(root);
    if (quaro::JsonFileStore::ParseDocument(text).isNull()) {
        __builtin_trap();
    }
    return 0;
}
