// Report descriptors come from whatever device is plugged in (or whatever a simulated bus
// description says): the parser and the report decoder must survive any bytes, and what opening
// a collection builds must stay small whatever the descriptor claims.
#include "device/HidReportData.h"
#include "device/ReportDescriptor.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sanitizer/allocator_interface.h>
#include <span>
#include <vector>

namespace {

// Heap a parse plus the opening of one collection may hold. The caps allow a few megabytes; an
// uncapped 2 KB descriptor took hundreds.
constexpr size_t kMemoryLimitBytes = 32u << 20;

void CheckMemory(size_t baseline, const char* stage) {
    const size_t now = __sanitizer_get_current_allocated_bytes();
    if (now > baseline && now - baseline > kMemoryLimitBytes) {
        std::fprintf(stderr, "report descriptor: %zu bytes held after %s, limit %zu\n",
                     now - baseline, stage, kMemoryLimitBytes);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t baseline = __sanitizer_get_current_allocated_bytes();
    const std::span<const uint8_t> bytes(data, size);
    const quaro::DescriptorResult result = quaro::ParseReportDescriptor(bytes);
    CheckMemory(baseline, "parsing");
    if (!result.descriptor) {
        return 0;
    }
    // Open every collection in turn, as HidDevice does, and decode the input itself as a report
    // of every type.
    for (const quaro::HidCollectionInfo& collection : result.descriptor->collections) {
        std::array<std::vector<quaro::HidData>, quaro::kHidReportTypeCount> elements;
        for (auto type : {quaro::HidReportType::kInput, quaro::HidReportType::kOutput,
                          quaro::HidReportType::kFeature}) {
            elements[static_cast<size_t>(type)] = quaro::BuildHidData(collection, type);
        }
        CheckMemory(baseline, "opening a collection");
        for (std::vector<quaro::HidData>& typed : elements) {
            quaro::UnpackReport(typed, bytes);
        }
    }
    return 0;
}
