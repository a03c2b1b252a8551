#include "DriverTestFixture.h"
#include "devices/mouse/MouseDriver.h"
#include "sim/EmulatorModels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quaro {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

using test::Commands;
using test::FaultCase;
using test::kFaults;
using test::kOneTimeout;

class MouseSink : public test::RecordingSink<MouseDriverSink, MouseRecordRead> {
public:
    void OnMouseStartRead(const MouseStartRead& read) override { Keep(m_starts, read); }
    void OnMacroDownload(const MouseMacroDownload& download) override { Keep(m_macros, download); }
    void OnSettingsRecordRead(const MouseRecordRead& read) override { RecordRead(read); }

    MouseStartRead LastStart() const { return LastOf(m_starts); }
    MouseMacroDownload LastMacros() const { return LastOf(m_macros); }

private:
    std::vector<MouseStartRead> m_starts;
    std::vector<MouseMacroDownload> m_macros;
};

// The record in force is record 1, so that a read or write of the wrong place shows.
std::vector<uint8_t> MouseSettingsMemory() {
    std::vector<uint8_t> memory(512, 0);
    memory[0] = 1;
    const uint8_t record[] = {1, 6, 3, 1, 1, 0, 10, 20, 30};
    std::copy(std::begin(record), std::end(record), memory.begin() + 128);
    memory[128 + 12] = 2;  // active stage
    return memory;
}

const LightSetting kLight{.effect = 2,
                          .brightness = 4,
                          .speed = 1,
                          .direction = 1,
                          .multiColor = 0,
                          .red = 200,
                          .green = 100,
                          .blue = 50};

MouseSettingsWrite Settings() {
    MouseSettingsWrite settings;
    settings.light = kLight;
    settings.reportRate = 3;
    settings.activeStage = 1;
    settings.stages = {{1, 0, 16, 16, 255, 0, 0}, {1, 1, 32, 24, 0, 255, 0}};
    settings.screenWidth = 1920;
    settings.screenHeight = 1080;
    settings.corrections = {{5, 9, 0, "off"}, {7, 11, 1, "on"}};
    return settings;
}

std::vector<KeyAssignmentEntry> DefaultButtons() {
    std::vector<KeyAssignmentEntry> buttons(kMouseButtonCount);
    for (int i = 0; i < kMouseButtonCount; ++i) {
        const KeyCode code = kMouseDefaultButtonTable[static_cast<std::size_t>(i)];
        buttons[static_cast<std::size_t>(i)] = {static_cast<uint16_t>(i), code,
                                                static_cast<uint16_t>(i), code};
    }
    return buttons;
}

class MouseDriverTest : public test::DriverFixture<MouseDriver, MouseSink> {
protected:
    MouseDriverTest() : DriverFixture(MouseModel()) { SetSettings(MouseSettingsMemory()); }

    std::unique_ptr<MouseDriver> MakeDriver() override {
        return std::make_unique<MouseDriver>(m_device.Backend(), &m_sink, &SteadyClock::now,
                                             [this] { return m_now.load(); });
    }

    void ReadMouse() {
        ASSERT_EQ(m_sink.ResultOf(m_driver->RequestStart()), kResultSuccess);
        m_device.ClearReceived();
    }
};

TEST_F(MouseDriverTest, StartReadsTheInformationAndButtonImageAndMapsTheFactoryButtons) {
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestStart()), kResultSuccess);
    EXPECT_EQ(Commands(m_device.Received()),
              (std::vector<uint8_t>{kCmdBegin, kCmdReadDeviceInfo, kCmdReadKeyImage, kCmdEnd}));
    EXPECT_EQ(m_driver->Primary().ImageLength(), 30);
    const MouseStartRead read = m_sink.LastStart();
    EXPECT_TRUE(read.imageRead);
    EXPECT_EQ(read.info, (MouseInfo{10, 50, 320, 100, 16 * kMacroUnitBytes}));
    EXPECT_EQ(read.info.MaxDpi(), 16000);
    // The firmware keeps back before forward and the DPI buttons in its own order.
    const MouseButtonMap expected = {0, 1, 2, 4, 3, 6, 5, 7, 9, 8};
    EXPECT_EQ(read.map, expected);
    EXPECT_EQ(m_driver->ButtonMap(), expected);
    EXPECT_EQ(m_driver->ButtonImage(), Memory().keyImage);
}

TEST_F(MouseDriverTest, AMouseThatMapsNoFactoryCodeLeavesEveryButtonWithoutASlot) {
    FirmwareMemory memory = Memory();
    std::fill(memory.keyImage.begin(), memory.keyImage.end(), 0x22);
    SetMemory(memory);
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestStart()), kResultSuccess);
    for (const uint8_t slot : m_driver->ButtonMap()) {
        EXPECT_EQ(slot, kNoMouseButtonSlot);
    }
    // Nothing maps, so the image goes back as the mouse has it.
    m_device.ClearReceived();
    std::vector<KeyAssignmentEntry> buttons = DefaultButtons();
    buttons[0].code = KeyCode{0x20, 0x00, 0x04};
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestWriteKeyAssignments(buttons)), kResultSuccess);
    EXPECT_EQ(Memory().keyImage, memory.keyImage);
}

TEST_F(MouseDriverTest, AButtonCountBeyondOneImageOrOfNoneIsNotReadButGetsItsEnd) {
    for (const uint8_t count : {uint8_t{0}, uint8_t{171}}) {
        SCOPED_TRACE(static_cast<int>(count));
        FirmwareMemory memory = Memory();
        memory.info[kInfoKeyCount] = count;
        SetMemory(memory);
        m_device.ClearReceived();
        ASSERT_EQ(m_sink.ResultOf(m_driver->RequestStart()), kResultFailed);
        EXPECT_EQ(Commands(m_device.Received()),
                  (std::vector<uint8_t>{kCmdBegin, kCmdReadDeviceInfo, kCmdEnd}));
        EXPECT_FALSE(m_sink.LastStart().imageRead);
        EXPECT_TRUE(m_driver->ButtonImage().empty());
    }
}

TEST_F(MouseDriverTest, SettingsWriteSendsTheComposedRecordBetweenBeginAndEnd) {
    ReadMouse();
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestWriteSettingsRecord(Settings())), kResultSuccess);
    const std::vector<Packet> sent = m_device.Received();
    EXPECT_EQ(Commands(sent),
              (std::vector<uint8_t>{kCmdBegin, kCmdWriteMemory, kCmdWriteMemory, kCmdEnd}));
    ASSERT_EQ(sent.size(), 4u);
    // 66 bytes at record 0: 56, then 10 at 56.
    EXPECT_EQ(sent[1][kPacketLength], 56);
    EXPECT_EQ(PacketAddress(sent[1]), 0);
    EXPECT_EQ(sent[2][kPacketLength], 10);
    EXPECT_EQ(PacketAddress(sent[2]), 56);
    const std::vector<uint8_t> settings = Memory().settings;
    MouseSettingsFields fields;
    ASSERT_TRUE(MouseSettingsRecord::Decode(settings, fields));
    EXPECT_EQ(fields.recordNumber, 0);
    EXPECT_EQ(fields.mode, 2);
    EXPECT_EQ(settings[3], 3);  // 4 - speed
    EXPECT_EQ(fields.direction, 1);
    EXPECT_EQ(fields.reportRate, 3);
    EXPECT_EQ(fields.activeStage, 1);
    EXPECT_EQ(fields.stages[1], (DpiStage{1, 1, 32, 24, 0, 255, 0}));
    EXPECT_EQ(fields.stages[2], DpiStage{});
    EXPECT_EQ(settings[59], 1);
    EXPECT_EQ(fields.screenWidth, 1920);
    EXPECT_EQ(fields.screenHeight, 1080);
    // The first preset that is selected, not the first one listed.
    EXPECT_EQ(fields.minimumSquare, 11);
    EXPECT_EQ(fields.pixelThreshold, 7);
    // The record in force before, at 128, is left alone; the write ends at byte 66.
    EXPECT_EQ(settings[128 + 1], 6);
    EXPECT_EQ(settings[66], 0);
}

TEST_F(MouseDriverTest, ButtonAssignmentsGoToTheSlotsOfTheMapOverTheImageRead) {
    // Before the mouse was read there is no image to compose over.
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestWriteKeyAssignments(DefaultButtons())),
              kResultFailed);
    EXPECT_EQ(Commands(m_device.Received()), std::vector<uint8_t>{kCmdReadDeviceInfo});
    ReadMouse();
    std::vector<KeyAssignmentEntry> buttons = DefaultButtons();
    buttons[3].code = KeyCode{0x20, 0x00, 0x04};  // forward becomes A
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestWriteKeyAssignments(buttons)), kResultSuccess);
    EXPECT_EQ(Commands(m_device.Received()),
              (std::vector<uint8_t>{kCmdReadDeviceInfo, kCmdBegin, kCmdWriteKeyImage, kCmdEnd}));
    std::vector<uint8_t> expected = MouseModel().memory.keyImage;
    expected[4 * 3] = 0x20;  // forward sits at slot 4
    expected[4 * 3 + 1] = 0x00;
    expected[4 * 3 + 2] = 0x04;
    EXPECT_EQ(Memory().keyImage, expected);
    // The mouse now claims another button count: the image would not fit it.
    FirmwareMemory memory = Memory();
    memory.info[kInfoKeyCount] = 8;
    SetMemory(memory);
    m_device.ClearReceived();
    EXPECT_EQ(m_sink.ResultOf(m_driver->RequestWriteKeyAssignments(DefaultButtons())),
              kResultFailed);
    EXPECT_EQ(Commands(m_device.Received()), std::vector<uint8_t>{kCmdReadDeviceInfo});
    EXPECT_EQ(Memory().keyImage, expected);
}

TEST_F(MouseDriverTest, MacrosGoWhenTheyFitAndTheOverflowIsReportedWhenNot) {
    ReadMouse();
    const MacroEvents events{{10, 10, true, 4}, {20, 10, false, 4}};
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestDownloadMacros({events})), kResultSuccess);
    EXPECT_EQ(Commands(m_device.Received()),
              (std::vector<uint8_t>{kCmdReadDeviceInfo, kCmdBegin, kCmdWriteMacroImage, kCmdEnd}));
    const std::vector<uint8_t> magic = {0xAA, 0x55};
    EXPECT_TRUE(std::equal(magic.begin(), magic.end(), Memory().macros.begin()));
    EXPECT_EQ(m_sink.LastMacros().capacityBytes, 2048u);
    // 16 + 6 + 4 x 510 = 2062 bytes against 2048: 14 bytes over, 4 units with the one added.
    m_device.ClearReceived();
    const MacroEvents many(510, MacroEvent{1, 10, true, 4});
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestDownloadMacros({many})), kResultSuccess);
    EXPECT_EQ(Commands(m_device.Received()), std::vector<uint8_t>{kCmdReadDeviceInfo});
    EXPECT_EQ(m_sink.LastMacros().figure, 4);
}

TEST_F(MouseDriverTest, SettingsChangedReadsTheRecordInForceAfterTheDelayAndPlaysIt) {
    ReadMouse();
    m_driver->ApplyLight(kLight);
    m_driver->Primary().SetLightSync(true);
    const auto sentAt = SteadyClock::now();
    ASSERT_TRUE(m_device.Emulator().SendSettingsChanged());
    const auto read = m_sink.WaitRead(1);
    ASSERT_TRUE(read);
    EXPECT_GE(SteadyClock::now() - sentAt, MouseDriver::kRereadDelay - 20ms);
    EXPECT_EQ(read->cause, MouseReadCause::kSettingsChanged);
    ASSERT_TRUE(read->Succeeded());
    const std::vector<Packet> sent = m_device.Received();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(PacketAddress(sent[0]), 0);
    EXPECT_EQ(sent[0][kPacketLength], 1);
    EXPECT_EQ(PacketAddress(sent[1]), 128);  // record 1 x 128, 71 bytes as 56 and 15
    EXPECT_EQ(sent[2][kPacketLength], 15);
    EXPECT_EQ(read->record.activeStage, 2);
    EXPECT_EQ(read->light.effect, 6);
    EXPECT_EQ(read->light.brightness, 3);
    EXPECT_EQ(read->light.speed, 3);
    EXPECT_EQ(read->light.red, 10);
    EXPECT_EQ(read->light.direction, kLight.direction);  // not taken from the mouse
    EXPECT_EQ(read->previousLight, kLight);
    EXPECT_EQ(m_driver->Light().Setting().effect, 6);
    EXPECT_FALSE(m_driver->Primary().LightSync());
}

TEST_F(MouseDriverTest, AReReadWhoseSecondReadFailsTakesNothing) {
    ReadMouse();
    m_driver->ApplyLight(kLight);
    m_device.Emulator().ScheduleFault(FaultKind::kStatusFF, 2);
    ASSERT_TRUE(m_device.Emulator().SendSettingsChanged());
    const auto read = m_sink.WaitRead(1);
    ASSERT_TRUE(read);
    EXPECT_FALSE(read->Succeeded());
    EXPECT_EQ(read->result, kResultRejected);
    EXPECT_EQ(read->light, kLight);
    EXPECT_FALSE(m_driver->LastRecord());
    EXPECT_EQ(m_driver->Light().Setting(), kLight);
    EXPECT_EQ(m_driver->CurrentLight(), kLight);
}

// Where a fault lands: a flow is a list of blocks, each of plain packets and, maybe, a Begin ...
// End bracket around some packets.
struct Block {
    int plain;
    int bracketed;  // packets between Begin and End; -1 without a bracket
};

// The packets the mouse receives when packet `faulty` (from 1) meets the fault: a silent mouse
// ends the flow there; a refusal ends it too, with End when it came inside the bracket.
std::size_t ExpectedPackets(const std::vector<Block>& blocks, int faulty, bool answered) {
    std::size_t count = 0;
    int position = 0;
    for (const Block& block : blocks) {
        const int inBracket = block.bracketed < 0 ? 0 : block.bracketed + 2;
        for (int i = 0; i < block.plain + inBracket; ++i) {
            ++count;
            if (++position != faulty) {
                continue;
            }
            const bool beforeEnd = i >= block.plain && i + 1 < block.plain + inBracket;
            return count + (answered && beforeEnd ? 1 : 0);
        }
    }
    return count;
}

struct MouseFlow {
    const char* name;
    std::vector<Block> blocks;
    uint32_t (*request)(MouseDriver& driver);
};

const std::vector<MouseFlow>& Flows() {
    static const std::vector<MouseFlow> kFlows = {
        {"start", {{0, 2}}, [](MouseDriver& d) { return d.RequestStart(); }},
        {"settings write",
         {{0, 2}},
         [](MouseDriver& d) { return d.RequestWriteSettingsRecord(Settings()); }},
        {"read", {{3, -1}}, [](MouseDriver& d) { return d.RequestReadSettings(); }},
        {"buttons",
         {{1, 1}},
         [](MouseDriver& d) { return d.RequestWriteKeyAssignments(DefaultButtons()); }},
    };
    return kFlows;
}

TEST_F(MouseDriverTest, EveryFaultAtEveryPacketEndsWithinOneTimeoutAndChangesNothingKept) {
    ReadMouse();
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestReadSettings()), kResultSuccess);
    m_driver->ApplyLight(kLight);
    const MouseButtonMap map = m_driver->ButtonMap();
    const std::vector<uint8_t> image = m_driver->ButtonImage();
    const auto record = m_driver->LastRecord();
    ASSERT_TRUE(record);
    const LightSetting light = m_driver->Light().Setting();
    for (const MouseFlow& flow : Flows()) {
        int packets = 0;
        for (const Block& block : flow.blocks) {
            packets += block.plain + (block.bracketed < 0 ? 0 : block.bracketed + 2);
        }
        for (const FaultCase& fault : kFaults) {
            for (int packet = 1; packet <= packets; ++packet) {
                SCOPED_TRACE(::testing::Message()
                             << flow.name << ": " << fault.name << " at packet " << packet);
                Replug();
                // A mouse whose memory changed meanwhile: a read taken by mistake shows.
                FirmwareMemory memory = Memory();
                memory.settings[128 + 1] = 9;
                memory.settings[128 + 12] = 4;
                std::swap_ranges(memory.keyImage.begin(), memory.keyImage.begin() + 3,
                                 memory.keyImage.begin() + 3);
                SetMemory(memory);
                m_device.Emulator().ScheduleFault(fault.kind, static_cast<uint32_t>(packet));
                const auto start = SteadyClock::now();
                const auto result = m_sink.ResultOf(flow.request(*m_driver), kOneTimeout);
                EXPECT_LT(SteadyClock::now() - start, kOneTimeout);
                EXPECT_EQ(result, fault.result);
                const bool answered =
                    fault.kind == FaultKind::kStatusFE || fault.kind == FaultKind::kStatusFF;
                EXPECT_EQ(m_device.Received().size(),
                          ExpectedPackets(flow.blocks, packet, answered));
                EXPECT_EQ(m_driver->ButtonMap(), map);
                EXPECT_EQ(m_driver->ButtonImage(), image);
                EXPECT_EQ(m_driver->LastRecord()->activeStage, record->activeStage);
                EXPECT_EQ(m_driver->LastRecord()->mode, record->mode);
                EXPECT_EQ(m_driver->Light().Setting(), light);
            }
        }
    }
    // After the last unplug the mouse is back and every flow goes through.
    Replug();
    for (const MouseFlow& flow : Flows()) {
        EXPECT_EQ(m_sink.ResultOf(flow.request(*m_driver)), kResultSuccess) << flow.name;
    }
}

TEST_F(MouseDriverTest, BehindAReceiverEveryCommandFollowsALinkCheck) {
    ReadMouse();
    m_driver->Primary().SetSlowLink(true);
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestStart()), kResultSuccess);
    EXPECT_EQ(Commands(m_device.Received()),
              (std::vector<uint8_t>{kCmdLinkCheck, kCmdBegin, kCmdLinkCheck, kCmdReadDeviceInfo,
                                    kCmdLinkCheck, kCmdReadKeyImage, kCmdLinkCheck, kCmdEnd}));
    m_device.ClearReceived();
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestWriteSettingsRecord(Settings())), kResultSuccess);
    // One check per command, not per packet: the two packets of the record go after one check.
    EXPECT_EQ(Commands(m_device.Received()),
              (std::vector<uint8_t>{kCmdLinkCheck, kCmdBegin, kCmdLinkCheck, kCmdWriteMemory,
                                    kCmdWriteMemory, kCmdLinkCheck, kCmdEnd}));
    // A slow link carries no light.
    EXPECT_FALSE(m_driver->SubmitLightFrame());
}

TEST_F(MouseDriverTest, BehindAReceiverWithoutTheMouseNothingButTheCheckIsSent) {
    ReadMouse();
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestReadSettings()), kResultSuccess);
    m_driver->ApplyLight(kLight);
    m_driver->Primary().SetSlowLink(true);
    FirmwareMemory memory = Memory();
    memory.linkPresent = false;
    SetMemory(memory);
    const std::vector<uint8_t> settingsBefore = memory.settings;
    const MouseButtonMap map = m_driver->ButtonMap();
    const auto record = m_driver->LastRecord();
    const std::vector<uint32_t (*)(MouseDriver&)> requests = {
        [](MouseDriver& d) { return d.RequestStart(); },
        [](MouseDriver& d) { return d.RequestReadSettings(); },
        [](MouseDriver& d) { return d.RequestWriteSettingsRecord(Settings()); },
        [](MouseDriver& d) { return d.RequestWriteKeyAssignments(DefaultButtons()); },
        [](MouseDriver& d) {
            return d.RequestDownloadMacros({{{1, 10, true, 4}}});
        },
    };
    for (std::size_t i = 0; i < requests.size(); ++i) {
        SCOPED_TRACE(i);
        m_device.ClearReceived();
        const auto start = SteadyClock::now();
        EXPECT_EQ(m_sink.ResultOf(requests[i](*m_driver)), kResultFailed);
        // The receiver answers at once; no command waits out the long time-out.
        EXPECT_LT(SteadyClock::now() - start, kOneTimeout);
        EXPECT_EQ(Commands(m_device.Received()), std::vector<uint8_t>{kCmdLinkCheck});
    }
    EXPECT_EQ(Memory().settings, settingsBefore);
    EXPECT_EQ(m_driver->ButtonMap(), map);
    EXPECT_EQ(m_driver->LastRecord()->mode, record->mode);
    EXPECT_EQ(m_driver->CurrentLight(), kLight);
}

TEST_F(MouseDriverTest, FlowsWhileDisconnectedSendNothing) {
    ReadMouse();
    m_driver->Disconnect();
    for (const MouseFlow& flow : Flows()) {
        EXPECT_EQ(m_sink.ResultOf(flow.request(*m_driver)), kResultFailed) << flow.name;
    }
    EXPECT_TRUE(m_device.Received().empty());
    EXPECT_EQ(m_driver->Info().buttonCount, 10);
}

TEST_F(MouseDriverTest, StoppedWhileTheLightThreadReaderAndFramesRun) {
    ReadMouse();
    LightSetting light = kLight;
    light.effect = 5;
    light.speed = 5;
    light.multiColor = 1;
    m_driver->ApplyLight(light);
    m_driver->Light().Start();
    std::atomic<bool> done{false};
    std::thread frames([&] {
        while (!done) {
            m_now += 2;
            m_driver->SubmitLightFrame();
            std::this_thread::sleep_for(1ms);
        }
    });
    ASSERT_TRUE(m_device.Emulator().SendSettingsChanged());
    m_driver->RequestWriteSettingsRecord(Settings());
    std::this_thread::sleep_for(100ms);
    EXPECT_GT(m_driver->Frames().sent, 0u);
    const auto start = SteadyClock::now();
    done = true;
    frames.join();
    m_driver.reset();
    EXPECT_LT(SteadyClock::now() - start, kOneTimeout);
}

}  // namespace
}  // namespace quaro
