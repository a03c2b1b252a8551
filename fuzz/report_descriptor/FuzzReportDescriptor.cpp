// Report descriptors come from whatever device is plugged in (or whatever a simulated bus
// description says): the parser and the report decoder must survive any bytes.
#include "device/HidReportData.h"
#include "device/ReportDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const quaro::DescriptorResult result = quaro::ParseReportDescriptor(bytes);
    if (!result.descriptor) {
        return 0;
    }
    // Decode the input itself as a report of every collection and type.
    for (const quaro::HidCollectionInfo& collection : result.descriptor->collections) {
        for (auto type : {quaro::HidReportType::kInput, quaro::HidReportType::kOutput,
                          quaro::HidReportType::kFeature}) {
            std::vector<quaro::HidData> elements = quaro::BuildHidData(collection, type);
            quaro::UnpackReport(elements, bytes);
        }
    }
    return 0;
}
