// Simulated-bus descriptions are files any local process can write; whatever they hold must be
// refused cleanly or give a description whose report descriptor then parses safely.
#include "device/ReportDescriptor.h"
#include "device/SimBusLayout.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto description = quaro::ParseSimDescription("fuzz", text);
    if (description) {
        quaro::ParseReportDescriptor(description->reportDescriptor);
        const auto again =
            quaro::ParseSimDescription("fuzz", quaro::FormatSimDescription(*description));
        if (!again || again->reportDescriptor != description->reportDescriptor) {
            __builtin_trap();  // what we write must read back the same
        }
    }
    return 0;
}
