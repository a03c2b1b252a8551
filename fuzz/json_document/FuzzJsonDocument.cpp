// Every stored document passes through this parse and back through the writer.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/Trace.h"
#include "profiles/JsonFileStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool silenced = (quaro::SetTraceSink({}), true);
    (void)silenced;
    const Json::Value root =
        quaro::JsonFileStore::ParseDocument(std::string_view(reinterpret_cast<const char*>(data), size));
    // What was read must write, and the written text must read back and write unchanged.
    // (One pass may normalise: invalid UTF-8 in a hand-edited file becomes U+FFFD.)
    if (root.isNull()) {
        return 0;
    }
    const std::string text = quaro::JsonFileStore::FormatDocument(root);
    const Json::Value again = quaro::JsonFileStore::ParseDocument(text);
    if (again.isNull() || quaro::JsonFileStore::FormatDocument(again) != text) {
        __builtin_trap();
    }
    return 0;
}
