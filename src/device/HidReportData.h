#pragma once

#include "device/ReportDescriptor.h"

#include <cstdint>
#include <span>
#include <vector>

namespace quaro {

// Status codes of a decode, as the class driver reports them.
inline constexpr int32_t kHidStatusSuccess = 0x00110000;
inline constexpr int32_t kHidStatusBufferTooSmall = static_cast<int32_t>(0xC0110007);

// One decoded report item: a button capability (the usages pressed within its range) or one
// value usage (raw and scaled value). Built once per opened collection and refilled by every
// UnpackReport of a report with the same id.
struct HidData {
    bool isButton = false;
    uint16_t usagePage = 0;
    int32_t status = kHidStatusSuccess;
    uint8_t reportId = 0;
    bool isSet = false;

    // button data
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    uint32_t maxUsageListLength = 0;
    std::vector<uint16_t> usages;  // maxUsageListLength entries, zero after the last pressed one

    // value data
    uint16_t usage = 0;
    uint32_t rawValue = 0;
    int32_t scaledValue = 0;

    HidField field;  // where the bits are
};

// One element per button capability, then one per value usage (a value range counts once per
// usage), for one report type of a collection.
std::vector<HidData> BuildHidData(const HidCollectionInfo& collection, HidReportType type);

// Decodes a report (report id in byte 0, 0 for unnumbered reports) into every element with that
// report id. False when a field lies beyond the end of the report.
bool UnpackReport(std::vector<HidData>& data, std::span<const uint8_t> report);

}  // namespace quaro
