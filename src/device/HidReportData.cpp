#include "device/HidReportData.h"

#include <algorithm>

namespace quaro {

namespace {

// Reads bitSize bits (at most 32) starting at bitOffset after the report id byte.
bool ReadBits(std::span<const uint8_t> report, uint32_t bitOffset, uint16_t bitSize,
              uint32_t& value) {
    const uint64_t first = 8 + static_cast<uint64_t>(bitOffset);
    if (first + bitSize > static_cast<uint64_t>(report.size()) * 8) {
        return false;
    }
    value = 0;
    for (uint16_t i = 0; i < bitSize; ++i) {
        const uint64_t bit = first + i;
        if ((report[bit / 8] >> (bit % 8)) & 1) {
            value |= 1u << i;
        }
    }
    return true;
}

int32_t SignExtend(uint32_t value, uint16_t bitSize) {
    if (bitSize == 0 || bitSize >= 32) {
        return static_cast<int32_t>(value);
    }
    const uint32_t sign = 1u << (bitSize - 1);
    return static_cast<int32_t>((value ^ sign) - sign);
}

bool UnpackButtons(HidData& element, std::span<const uint8_t> report) {
    const HidField& field = element.field;
    std::vector<uint16_t> pressed;
    for (uint16_t i = 0; i < field.reportCount; ++i) {
        uint32_t raw = 0;
        if (!ReadBits(report, field.bitOffset + i * field.bitSize, field.bitSize, raw)) {
            return false;
        }
        if (field.isArray) {
            // Each element names one pressed usage by its index from the usage minimum; usage 0
            // is "none" on every page, so an empty slot reads as nothing pressed.
            const int64_t usage = static_cast<int64_t>(field.usageMin) +
                                  (static_cast<int64_t>(raw) - field.logicalMin);
            if (usage != 0 && usage >= element.usageMin && usage <= element.usageMax) {
                pressed.push_back(static_cast<uint16_t>(usage));
            }
        } else if (raw != 0) {
            pressed.push_back(static_cast<uint16_t>(field.usageMin + i));
        }
    }
    std::fill(element.usages.begin(), element.usages.end(), 0);
    const size_t kept = std::min(pressed.size(), element.usages.size());
    std::copy_n(pressed.begin(), kept, element.usages.begin());
    return true;
}

bool UnpackValue(HidData& element, std::span<const uint8_t> report) {
    const HidField& field = element.field;
    const uint32_t index = element.usage - field.usageMin;
    const uint32_t elementIndex =
        field.isRange ? std::min<uint32_t>(index, field.reportCount - 1) : 0;
    uint32_t raw = 0;
    if (!ReadBits(report, field.bitOffset + elementIndex * field.bitSize, field.bitSize, raw)) {
        return false;
    }
    element.rawValue = raw;
    const int32_t logical =
        field.logicalMin < 0 ? SignExtend(raw, field.bitSize) : static_cast<int32_t>(raw);
    const int64_t logicalRange = static_cast<int64_t>(field.logicalMax) - field.logicalMin;
    const int64_t physicalRange = static_cast<int64_t>(field.physicalMax) - field.physicalMin;
    if (physicalRange > 0 && logicalRange > 0) {
        element.scaledValue = static_cast<int32_t>(
            field.physicalMin + (logical - field.logicalMin) * physicalRange / logicalRange);
    } else {
        element.scaledValue = logical;
    }
    return true;
}

}  // namespace

std::vector<HidData> BuildHidData(const HidCollectionInfo& collection, HidReportType type) {
    std::vector<HidData> data;
    for (const HidField& field : collection.buttons[static_cast<size_t>(type)]) {
        HidData element;
        element.isButton = true;
        element.usagePage = field.usagePage;
        element.reportId = field.reportId;
        element.usageMin = field.usageMin;
        element.usageMax = field.usageMax;
        element.maxUsageListLength = UsageListLength(field);
        element.usages.assign(element.maxUsageListLength, 0);
        element.field = field;
        data.push_back(std::move(element));
    }
    for (const HidField& field : collection.values[static_cast<size_t>(type)]) {
        // A range has one element per usage, but never more than the field has data for.
        const uint32_t count = ValueElementCount(field);
        for (uint32_t usage = field.usageMin; usage < field.usageMin + count; ++usage) {
            HidData element;
            element.usagePage = field.usagePage;
            element.reportId = field.reportId;
            element.usage = static_cast<uint16_t>(usage);
            element.field = field;
            data.push_back(std::move(element));
        }
    }
    return data;
}

bool UnpackReport(std::vector<HidData>& data, std::span<const uint8_t> report) {
    if (report.empty()) {
        return false;
    }
    for (HidData& element : data) {
        if (element.reportId != report[0]) {
            continue;
        }
        const bool ok =
            element.isButton ? UnpackButtons(element, report) : UnpackValue(element, report);
        if (!ok) {
            element.status = kHidStatusBufferTooSmall;
            return false;
        }
        element.status = kHidStatusSuccess;
        element.isSet = true;
    }
    return true;
}

}  // namespace quaro
