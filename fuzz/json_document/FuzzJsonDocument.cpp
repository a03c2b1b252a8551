// Every stored document passes through this parse and back through the writer.
#include "platform/Trace.h"
#include "profiles/JsonFileStore.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

std::size_t CountValues(const Json::Value& value) {
    std::size_t count = 1;
    if (value.isArray() || value.isObject()) {
        for (const Json::Value& element : value) {
            count += CountValues(element);
        }
    }
    return count;
}

}  // namespace

// A small quarantine keeps the memory limit this target runs under (see its CMakeLists.txt)
// about what the parser holds, not what the sanitizer keeps of freed blocks.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16";
}

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
    // The bound that keeps the parse's memory in proportion to a real document.
    if (CountValues(root) > quaro::JsonFileStore::kMaxValues) {
        __builtin_trap();
    }
    const std::string text = quaro::JsonFileStore::FormatDocument(root);
    if (quaro::JsonFileStore::ParseDocument(text).isNull()) {
        __builtin_trap();
    }
    return 0;
}
