#include "device/HidReportData.h"
#include "device/ReportDescriptor.h"

#include <gtest/gtest.h>

#include <vector>

namespace quaro {
namespace {

// The boot keyboard of the HID class definition's appendix: unnumbered reports, one collection.
const std::vector<uint8_t> kBootKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01,
    0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06,
    0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0};

// A gaming keyboard's second interface: system control, consumer control with 16-bit usages,
// and a vendor collection carrying 64-byte reports with id 4.
const std::vector<uint8_t> kKeyboardExtras = {
    // collection 1: system control, report 2, three bits + padding
    0x05, 0x01, 0x09, 0x80, 0xA1, 0x01, 0x85, 0x02, 0x19, 0x81, 0x29, 0x83, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x03, 0x81, 0x02, 0x95, 0x05, 0x81, 0x01, 0xC0,
    // collection 2: consumer control, report 3, one 16-bit array element
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x0F, 0x15, 0x00, 0x26,
    0xFF, 0x0F, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0,
    // collection 3: vendor page 0xFF1C usage 0x92, report 4, 63 bytes in and out
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x3F, 0x81, 0x02, 0x09, 0x02, 0x91, 0x02, 0xC0};

// A USB headset: consumer buttons (report 1) with a nested logical collection, volume value
// (report 1), and a vendor output report 0xFF of 16 bytes for its lights.
const std::vector<uint8_t> kHeadset = {
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x15, 0x00, 0x25, 0x01, 0x09, 0xE9, 0x09, 0xEA,
    0x09, 0xE2, 0x75, 0x01, 0x95, 0x03, 0x81, 0x02, 0xA1, 0x02, 0x09, 0xE0, 0x15, 0x81, 0x25, 0x7F,
    0x75, 0x08, 0x95, 0x01, 0x81, 0x06, 0xC0, 0x75, 0x05, 0x95, 0x01, 0x81, 0x01, 0x85, 0xFF, 0x06,
    0x00, 0xFF, 0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x10, 0x91, 0x02, 0xC0};

ReportDescriptor ParseOk(const std::vector<uint8_t>& bytes) {
    DescriptorResult result = ParseReportDescriptor(bytes);
    EXPECT_TRUE(result.descriptor.has_value()) << result.error;
    return result.descriptor.value_or(ReportDescriptor{});
}

TEST(ReportDescriptorTest, BootKeyboardHasWindowsLengthsAndCaps) {
    const ReportDescriptor descriptor = ParseOk(kBootKeyboard);
    ASSERT_EQ(descriptor.collections.size(), 1u);
    EXPECT_FALSE(descriptor.numbered);
    const HidCollectionInfo& keyboard = descriptor.collections[0];
    EXPECT_EQ(keyboard.usagePage, 0x01);
    EXPECT_EQ(keyboard.usage, 0x06);
    EXPECT_TRUE(keyboard.reportIds.empty());
    EXPECT_EQ(keyboard.Length(HidReportType::kInput), 9);   // 8 data bytes + id byte 0
    EXPECT_EQ(keyboard.Length(HidReportType::kOutput), 2);  // LEDs
    EXPECT_EQ(keyboard.Length(HidReportType::kFeature), 0);
    // Modifier bits and the key array are buttons; the LED bits too; padding makes no caps.
    EXPECT_EQ(keyboard.buttons[0].size(), 2u);
    EXPECT_EQ(keyboard.buttons[1].size(), 1u);
    EXPECT_TRUE(keyboard.values[0].empty());
}

TEST(ReportDescriptorTest, CollectionsKeepOrderIdsAndLengths) {
    const ReportDescriptor descriptor = ParseOk(kKeyboardExtras);
    ASSERT_EQ(descriptor.collections.size(), 3u);
    EXPECT_TRUE(descriptor.numbered);
    const auto& system = descriptor.collections[0];
    const auto& consumer = descriptor.collections[1];
    const auto& vendor = descriptor.collections[2];
    EXPECT_EQ(system.usagePage, 0x01);
    EXPECT_EQ(system.usage, 0x80);
    EXPECT_EQ(system.reportIds, std::vector<uint8_t>{2});
    EXPECT_EQ(system.Length(HidReportType::kInput), 2);
    EXPECT_EQ(consumer.usagePage, 0x0C);
    EXPECT_EQ(consumer.usage, 0x01);
    EXPECT_EQ(consumer.Length(HidReportType::kInput), 3);
    EXPECT_EQ(consumer.Length(HidReportType::kOutput), 0);
    EXPECT_EQ(vendor.usagePage, 0xFF1C);
    EXPECT_EQ(vendor.usage, 0x92);
    EXPECT_EQ(vendor.reportIds, std::vector<uint8_t>{4});
    EXPECT_EQ(vendor.Length(HidReportType::kInput), 64);
    EXPECT_EQ(vendor.Length(HidReportType::kOutput), 64);
}

TEST(ReportDescriptorTest, HeadsetSingleCollectionWithNestedAndOutputReport) {
    const ReportDescriptor descriptor = ParseOk(kHeadset);
    ASSERT_EQ(descriptor.collections.size(), 1u);
    const auto& headset = descriptor.collections[0];
    EXPECT_EQ(headset.usagePage, 0x0C);
    EXPECT_EQ(headset.usage, 0x01);
    EXPECT_EQ(headset.reportIds, (std::vector<uint8_t>{1, 0xFF}));
    EXPECT_EQ(headset.Length(HidReportType::kInput), 3);
    EXPECT_EQ(headset.Length(HidReportType::kOutput), 17);
    ASSERT_EQ(headset.buttons[0].size(), 3u);  // three listed single-bit usages
    EXPECT_EQ(headset.buttons[0][2].usageMin, 0xE2);
    ASSERT_EQ(headset.values[0].size(), 1u);
    EXPECT_EQ(headset.values[0][0].logicalMin, -127);
    EXPECT_EQ(headset.values[0][0].bitOffset, 3u);
}

TEST(ReportDescriptorTest, UnpackReportDecodesArraysBitsAndSignedValues) {
    const ReportDescriptor extras = ParseOk(kKeyboardExtras);
    std::vector<HidData> consumer = BuildHidData(extras.collections[1], HidReportType::kInput);
    ASSERT_EQ(consumer.size(), 1u);
    const std::vector<uint8_t> event = {0x03, 0x01, 0x04};
    ASSERT_TRUE(UnpackReport(consumer, event));
    EXPECT_TRUE(consumer[0].isSet);
    EXPECT_EQ(consumer[0].usages.at(0), 0x0401);

    const ReportDescriptor headset = ParseOk(kHeadset);
    std::vector<HidData> data = BuildHidData(headset.collections[0], HidReportType::kInput);
    ASSERT_EQ(data.size(), 4u);
    // volume down pressed, value -2 (0xFE) at bit 3
    const uint8_t valueBits = 0xFE;
    const std::vector<uint8_t> report = {0x01, static_cast<uint8_t>(0x02 | (valueBits << 3)),
                                         static_cast<uint8_t>(valueBits >> 5)};
    ASSERT_TRUE(UnpackReport(data, report));
    EXPECT_EQ(data[0].usages.at(0), 0);  // volume up not pressed
    EXPECT_EQ(data[1].usages.at(0), 0xEA);
    EXPECT_EQ(data[3].rawValue, 0xFEu);
    EXPECT_EQ(data[3].scaledValue, -2);

    // A report with another id leaves the elements alone; a short report fails.
    data[3].isSet = false;
    EXPECT_TRUE(UnpackReport(data, std::vector<uint8_t>{0x07, 0xFF, 0xFF}));
    EXPECT_FALSE(data[3].isSet);
    EXPECT_FALSE(UnpackReport(data, std::vector<uint8_t>{0x01, 0x00}));
}

TEST(ReportDescriptorTest, GlobalStackExtendedUsagesAndValueRanges) {
    const std::vector<uint8_t> bytes = {
        0x05, 0x01, 0x09, 0x04, 0xA1, 0x01,              // joystick
        0x85, 0x01, 0x75, 0x08, 0x95, 0x02,              // id 1, 2 x 8 bits
        0xA4,                                            // push
        0x85, 0x02, 0x75, 0x10, 0x95, 0x01,              // id 2, 1 x 16 bits
        0x0B, 0x38, 0x02, 0x0C, 0x00,                    // extended usage: consumer 0x0238
        0x16, 0x00, 0x80, 0x26, 0xFF, 0x7F, 0x81, 0x02,  // -32768..32767
        0xB4,                                            // pop: back to id 1, 2 x 8
        0x19, 0x30, 0x29, 0x31, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x81, 0x02,  // X, Y 0..255
        0xC0};
    const ReportDescriptor descriptor = ParseOk(bytes);
    ASSERT_EQ(descriptor.collections.size(), 1u);
    const auto& joystick = descriptor.collections[0];
    EXPECT_EQ(joystick.reportIds, (std::vector<uint8_t>{2, 1}));
    EXPECT_EQ(joystick.Length(HidReportType::kInput), 3);
    ASSERT_EQ(joystick.values[0].size(), 2u);
    EXPECT_EQ(joystick.values[0][0].usagePage, 0x0C);
    EXPECT_EQ(joystick.values[0][0].usageMin, 0x0238);
    EXPECT_EQ(joystick.values[0][1].logicalMax, 255);  // 0x26 0xFF 0x00 read unsigned

    std::vector<HidData> data = BuildHidData(joystick, HidReportType::kInput);
    ASSERT_EQ(data.size(), 3u);  // the wheel, then X and Y from the range
    ASSERT_TRUE(UnpackReport(data, std::vector<uint8_t>{0x02, 0x00, 0x80}));
    EXPECT_EQ(data[0].scaledValue, -32768);
    ASSERT_TRUE(UnpackReport(data, std::vector<uint8_t>{0x01, 0x10, 0xF0}));
    EXPECT_EQ(data[1].usage, 0x30);
    EXPECT_EQ(data[1].rawValue, 0x10u);
    EXPECT_EQ(data[2].usage, 0x31);
    EXPECT_EQ(data[2].rawValue, 0xF0u);
}

TEST(ReportDescriptorTest, MalformedDescriptorsAreRefused) {
    const std::vector<std::vector<uint8_t>> malformed = {
        {0x05, 0x01, 0x09},                                            // truncated item
        {0x05, 0x01, 0xA1, 0x01, 0xFE, 0x02, 0x00, 0x01, 0x02, 0xC0},  // long item
        {0x05, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02},  // unclosed
        {0xC0},                                                        // end without collection
        {0x75, 0x08, 0x95, 0x01, 0x81, 0x02},                          // data outside collections
        {0xA1, 0x01, 0x85, 0x00, 0xC0},                                // report id 0
        {0xA1, 0x01, 0x75, 0x40, 0x95, 0x01, 0x81, 0x02, 0xC0},        // 64-bit value field
        {0xA1, 0x01, 0x76, 0x00, 0x01, 0x95, 0x01, 0x81, 0x02, 0xC0},  // report size 256+
        {0xA1, 0x01, 0x75, 0x08, 0x96, 0x00, 0x20, 0x81, 0x02, 0xC0},  // 8 KiB report
        {0xB4},                                                        // pop without push
        {0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x85, 0x01, 0x81, 0x02, 0xC0},  // mixed
        {0x0C},  // reserved item type
    };
    for (size_t i = 0; i < malformed.size(); ++i) {
        const DescriptorResult result = ParseReportDescriptor(malformed[i]);
        EXPECT_FALSE(result.descriptor.has_value()) << "case " << i;
        EXPECT_FALSE(result.error.empty()) << "case " << i;
    }
}

TEST(ReportDescriptorTest, ItemCountAndNestingAreBounded) {
    std::vector<uint8_t> many(2 * (kMaxDescriptorItems + 1), 0);
    for (size_t i = 0; i < many.size(); i += 2) {
        many[i] = 0x05;  // usage page, over and over
    }
    EXPECT_FALSE(ParseReportDescriptor(many).descriptor.has_value());

    std::vector<uint8_t> deep;
    for (size_t i = 0; i <= kMaxCollectionDepth; ++i) {
        deep.insert(deep.end(), {0xA1, 0x01});
    }
    deep.insert(deep.end(), kMaxCollectionDepth + 1, 0xC0);
    EXPECT_FALSE(ParseReportDescriptor(deep).descriptor.has_value());

    std::vector<uint8_t> pushes(kMaxGlobalStackDepth + 1, 0xA4);
    EXPECT_FALSE(ParseReportDescriptor(pushes).descriptor.has_value());
    EXPECT_TRUE(ParseReportDescriptor(std::vector<uint8_t>{}).descriptor.has_value());
}

// One vendor collection with `reports` input reports from id `first` on, each the given field.
std::vector<uint8_t> ManyReports(size_t reports, const std::vector<uint8_t>& field,
                                 size_t first = 1) {
    std::vector<uint8_t> bytes = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x25, 0x03};
    for (size_t id = first; id < first + reports; ++id) {
        bytes.insert(bytes.end(), {0x85, static_cast<uint8_t>(id)});
        bytes.insert(bytes.end(), field.begin(), field.end());
    }
    bytes.push_back(0xC0);
    return bytes;
}

// Value range 1..0xFFFF, 16000 two-bit values: 16000 data elements per report.
const std::vector<uint8_t> kWideValueRange = {0x19, 0x01, 0x2A, 0xFF, 0xFF, 0x75,
                                              0x02, 0x96, 0x80, 0x3E, 0x81, 0x02};
// Array of 4000 bytes selecting among usages 0..255: a 4000-entry usage list per report.
const std::vector<uint8_t> kLongArray = {0x19, 0x00, 0x2A, 0xFF, 0x00, 0x75,
                                         0x08, 0x96, 0xA0, 0x0F, 0x81, 0x00};

TEST(ReportDescriptorTest, WhatACollectionOpensIntoIsCapped) {
    // 160 such reports in 2.3 KB of descriptor would open into 2.56 million elements.
    const std::vector<uint8_t> huge = ManyReports(160, kWideValueRange);
    EXPECT_LT(huge.size(), 2400u);
    const DescriptorResult refused = ParseReportDescriptor(huge);
    EXPECT_FALSE(refused.descriptor.has_value());
    EXPECT_EQ(refused.error, "too many data elements in a collection");
    const DescriptorResult lists = ParseReportDescriptor(ManyReports(17, kLongArray));
    EXPECT_FALSE(lists.descriptor.has_value());
    EXPECT_EQ(lists.error, "usage lists too long in a collection");

    // Below the caps the same fields open as before; the caps count per collection.
    const ReportDescriptor within = ParseOk(ManyReports(16, kLongArray));
    const std::vector<HidData> arrays = BuildHidData(within.collections[0], HidReportType::kInput);
    ASSERT_EQ(arrays.size(), 16u);
    EXPECT_EQ(arrays[0].usages.size(), 4000u);
    std::vector<uint8_t> two = ManyReports(16, kLongArray);
    const std::vector<uint8_t> second = ManyReports(16, kLongArray, 17);
    two.insert(two.end(), second.begin(), second.end());
    EXPECT_TRUE(ParseReportDescriptor(two).descriptor.has_value());
    const std::vector<uint8_t> range = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15,
                                        0x00, 0x25, 0x03, 0x19, 0x01, 0x2A, 0xFF, 0xFF,
                                        0x75, 0x02, 0x96, 0x00, 0x20, 0x81, 0x02, 0xC0};
    const ReportDescriptor values = ParseOk(range);
    EXPECT_EQ(BuildHidData(values.collections[0], HidReportType::kInput).size(),
              kMaxCollectionElements);
}

}  // namespace
}  // namespace quaro
