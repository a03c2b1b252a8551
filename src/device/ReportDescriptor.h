#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quaro {

enum class HidReportType : uint8_t { kInput = 0, kOutput = 1, kFeature = 2 };
inline constexpr size_t kHidReportTypeCount = 3;

// One data field of a report: where its bits are and which usages they carry. A field is a
// button field when it is an array or its elements are single bits, a value field otherwise;
// constant (padding) fields produce none.
struct HidField {
    uint8_t reportId = 0;
    uint16_t usagePage = 0;
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    bool isRange = false;
    bool isArray = false;
    uint32_t bitOffset = 0;  // from the first bit after the report id byte
    uint16_t bitSize = 0;
    uint16_t reportCount = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
};

// One top-level collection, with what Windows reports for it in HIDP_CAPS.
struct HidCollectionInfo {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::vector<uint8_t> reportIds;  // in order of first appearance; empty for unnumbered reports
    // Report lengths in bytes including the report id byte (0 when the type has no report).
    std::array<uint16_t, kHidReportTypeCount> reportLength{};
    std::array<std::vector<HidField>, kHidReportTypeCount> buttons;
    std::array<std::vector<HidField>, kHidReportTypeCount> values;

    uint16_t Length(HidReportType type) const { return reportLength[static_cast<size_t>(type)]; }
    bool HasReportId(uint8_t id) const;
};

struct ReportDescriptor {
    std::vector<HidCollectionInfo> collections;  // in descriptor order
    bool numbered = false;                       // reports carry a report id byte
};

// Limits beyond which a descriptor is refused rather than trusted.
inline constexpr size_t kMaxDescriptorItems = 4096;
inline constexpr size_t kMaxReportBytes = 4096;
inline constexpr size_t kMaxGlobalStackDepth = 8;
inline constexpr size_t kMaxCollectionDepth = 32;
// What opening one collection may build: data elements (one per button field, one per value
// usage) and entries of the button fields' usage lists. A few bytes of descriptor can describe
// millions of value usages; real devices stay in the hundreds.
inline constexpr size_t kMaxCollectionElements = 8192;
inline constexpr size_t kMaxCollectionUsageSlots = 65536;

// The data elements a value field opens into: one per usage of a range, as far as the field has
// data for, else one.
uint32_t ValueElementCount(const HidField& field);
// The usage list length of a button field's element.
uint32_t UsageListLength(const HidField& field);

struct DescriptorResult {
    std::optional<ReportDescriptor> descriptor;
    std::string error;  // why the descriptor was refused; empty on success
};

// Parses a raw report descriptor. Truncated or long items, unbalanced collections, data outside
// any collection, report id 0, numbered and unnumbered reports mixed, fields wider than 32 bits,
// reports above kMaxReportBytes, more than kMaxDescriptorItems items and collections that would
// open into more than kMaxCollectionElements elements or kMaxCollectionUsageSlots usage list
// entries are refused.
DescriptorResult ParseReportDescriptor(std::span<const uint8_t> bytes);

}  // namespace quaro
