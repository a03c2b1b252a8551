#include "device/Catalogue.h"
#include "device/ReportDescriptor.h"
#include "sim/DeviceFirmware.h"
#include "sim/EmulatorModels.h"
#include "sim/KeyboardMatrix.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace quaro {
namespace {

Packet Request(uint8_t command, uint8_t length = 0, uint16_t address = 0,
               std::vector<uint8_t> data = {}) {
    Packet packet{};
    packet[0] = kPacketReportId;
    packet[kPacketCommand] = command;
    packet[kPacketLength] = length;
    SetPacketAddress(packet, address);
    std::copy(data.begin(), data.end(), packet.begin() + kPacketData);
    StampChecksum(packet);
    return packet;
}

TEST(DeviceFirmwareTest, KeyboardSlotsAreNotInLogicalOrder) {
    const EmulatorModel keyboard = KeyboardModel();
    const DeviceInfo info = ParseDeviceInfo(keyboard.memory.info);
    EXPECT_EQ(info.keyCount, 126);
    EXPECT_EQ(info.macroCapacity, 4096u);
    ASSERT_EQ(keyboard.memory.keyImage.size(), 378u);
    ASSERT_EQ(keyboard.memory.keyLightIndexTable.size(), 126u);
    // Slot 0 is Esc, slot 1 the key below it (`), whose light is the first of the second row.
    EXPECT_EQ(std::vector<uint8_t>(keyboard.memory.keyImage.begin(),
                                   keyboard.memory.keyImage.begin() + 6),
              (std::vector<uint8_t>{0x20, 0x00, 0x29, 0x20, 0x00, 0x35}));
    EXPECT_EQ(keyboard.memory.keyLightIndexTable[1], 21);
    // Every light position is used exactly once.
    std::set<uint8_t> lights(keyboard.memory.keyLightIndexTable.begin(),
                             keyboard.memory.keyLightIndexTable.end());
    EXPECT_EQ(lights.size(), 126u);
    EXPECT_EQ(*lights.rbegin(), 125);
}

TEST(DeviceFirmwareTest, AnswersWithEchoDataAndStatus) {
    DeviceFirmware firmware(KeyboardModel().memory);
    auto outcome = firmware.Handle(Request(kCmdReadKeyImage, 6, 3));
    ASSERT_TRUE(outcome.reply.has_value());
    const Packet& reply = *outcome.reply;
    EXPECT_EQ(reply[kPacketCommand], kCmdReadKeyImage);
    EXPECT_EQ(reply[kPacketStatus], 0x00);
    EXPECT_EQ(reply[kPacketData], 0x20);
    EXPECT_EQ(reply[kPacketData + 2], 0x35);
    EXPECT_TRUE(ChecksumMatches(reply));

    // Bad checksum, unknown command, reads past the end, writes past the macro memory.
    Packet corrupt = Request(kCmdBegin);
    corrupt[kPacketChecksumLow] ^= 0x01;
    EXPECT_EQ(firmware.Handle(corrupt).reply->at(kPacketStatus), kStatusRejected);
    EXPECT_EQ(firmware.Counters().badChecksums, 1u);
    EXPECT_EQ(firmware.Counters().begins, 0u);
    EXPECT_EQ(firmware.Handle(Request(0x77)).reply->at(kPacketStatus), kStatusRejected);
    EXPECT_EQ(firmware.Handle(Request(kCmdReadKeyImage, 8, 376)).reply->at(kPacketStatus),
              kStatusRejected);
    EXPECT_EQ(firmware.Handle(Request(kCmdWriteMacroImage, 10, 4090)).reply->at(kPacketStatus),
              kStatusRejected);
    // Reports that are not command packets get no answer at all.
    const std::vector<uint8_t> shortReport = {kPacketReportId, 0, 0, kCmdBegin};
    EXPECT_FALSE(firmware.Handle(shortReport).reply.has_value());
}

TEST(DeviceFirmwareTest, WritesLandInMemoryAndFramesRestartAtOffsetZero) {
    DeviceFirmware firmware(MousePadModel().memory);
    firmware.Handle(Request(kCmdWriteMemory, 3, 25, {7, 8, 9}));
    EXPECT_EQ(firmware.Memory().settings[26], 8);
    firmware.Handle(Request(kCmdLightFrame, 2, 0, {1, 2}));
    firmware.Handle(Request(kCmdLightFrame, 2, 2, {3, 4}));
    EXPECT_EQ(firmware.Memory().lightFrame, (std::vector<uint8_t>{1, 2, 3, 4}));
    firmware.Handle(Request(kCmdLightFrame, 1, 0, {9}));
    EXPECT_EQ(firmware.Memory().lightFrame, (std::vector<uint8_t>{9}));
    auto status = firmware.Handle(Request(kCmdReadStatus, 6, 0));
    EXPECT_EQ(status.reply->at(kPacketData), 100);  // battery level
    EXPECT_EQ(status.reply->at(kPacketData + 1), 0);  // powered by the host
}

TEST(DeviceFirmwareTest, FaultsApplyToTheirPacketOnly) {
    DeviceFirmware firmware(KeyboardModel().memory);
    firmware.ScheduleFault(FaultKind::kStatusFE, 2);
    firmware.ScheduleFault(FaultKind::kWrongEcho, 3);
    firmware.ScheduleFault(FaultKind::kNoReply, 4);
    firmware.ScheduleFault(FaultKind::kStatusFF, 5);
    firmware.ScheduleFault(FaultKind::kUnplug, 6);
    EXPECT_EQ(firmware.Handle(Request(kCmdBegin)).reply->at(kPacketStatus), 0x00);
    EXPECT_EQ(firmware.Handle(Request(kCmdBegin)).reply->at(kPacketStatus), kStatusSecondError);
    EXPECT_NE(firmware.Handle(Request(kCmdBegin)).reply->at(kPacketCommand), kCmdBegin);
    EXPECT_FALSE(firmware.Handle(Request(kCmdBegin)).reply.has_value());
    EXPECT_EQ(firmware.Handle(Request(kCmdBegin)).reply->at(kPacketStatus), kStatusRejected);
    const auto unplug = firmware.Handle(Request(kCmdBegin));
    EXPECT_TRUE(unplug.unplug);
    EXPECT_FALSE(unplug.reply.has_value());
    EXPECT_EQ(firmware.Handle(Request(kCmdBegin)).reply->at(kPacketStatus), 0x00);

    // Reports sent ahead of a reply, in the order asked for: two light replies, a key event.
    firmware.ScheduleFault(FaultKind::kStrayReply);
    firmware.ScheduleFault(FaultKind::kEventFirst);
    firmware.ScheduleFault(FaultKind::kStrayReply);
    const auto ahead = firmware.Handle(Request(kCmdBegin));
    ASSERT_EQ(ahead.before.size(), 3u);
    EXPECT_EQ(ahead.before[0].size(), kPacketSize);
    EXPECT_EQ(ahead.before[0][kPacketCommand], kCmdLightFrame);
    EXPECT_EQ(ahead.before[1], (std::vector<uint8_t>{0x03, 0xE9, 0x00}));
    EXPECT_EQ(ahead.before[2][kPacketCommand], kCmdLightFrame);
    EXPECT_EQ(ahead.reply->at(kPacketCommand), kCmdBegin);
}

TEST(DeviceFirmwareTest, InterfacesMatchTheirCatalogueRows) {
    const std::vector<std::pair<EmulatorModel, std::set<std::pair<int, int>>>> cases = {
        {KeyboardModel(), {{kKindKeyboard, kRolePrimary}, {kKindKeyboard, kRoleSecondary}}},
        {MouseModel(), {{kKindMouse, kRolePrimary}, {kKindMouse, kRoleSecondary}}},
        {MousePadModel(), {{kKindMousePad, kRolePrimary}, {kKindMousePad, kRoleSecondary}}},
        {HeadsetModel(), {{kKindHeadset, kRolePrimary}}},
    };
    for (const auto& [model, expected] : cases) {
        std::set<std::pair<int, int>> matched;
        for (const EmulatorInterface& interface : model.interfaces) {
            const DescriptorResult parsed = ParseReportDescriptor(interface.reportDescriptor);
            ASSERT_TRUE(parsed.descriptor.has_value()) << model.name << ": " << parsed.error;
            const auto& collections = parsed.descriptor->collections;
            for (size_t i = 0; i < collections.size(); ++i) {
                DeviceInterfaceEntry entry;
                entry.vendorId = model.vendorId;
                entry.productId = model.productId;
                entry.interfaceNumber = interface.number;
                entry.collection = collections.size() > 1 ? static_cast<uint16_t>(i + 1) : 0;
                entry.usagePage = collections[i].usagePage;
                entry.usage = collections[i].usage;
                if (FindCatalogueRow(entry) >= 0) {
                    matched.insert({entry.kind, entry.role});
                    if (entry.role == kRolePrimary) {
                        EXPECT_EQ(collections[i].Length(HidReportType::kOutput), 64);
                    }
                }
            }
        }
        EXPECT_EQ(matched, expected) << model.name;
    }
}

}  // namespace
}  // namespace quaro
