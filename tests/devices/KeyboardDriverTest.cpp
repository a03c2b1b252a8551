#include "DriverTestFixture.h"
#include "devices/keyboard/KeyboardDriver.h"
#include "sim/EmulatorModels.h"
#include "sim/KeyboardMatrix.h"

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

using test::Answered;
using test::Commands;
using test::FaultCase;
using test::kFaults;
using test::kOneTimeout;

class KeyboardSink : public test::RecordingSink<KeyboardDriverSink, KeyboardRecordRead> {
public:
    void OnKeyboardStartRead(const KeyboardStartRead& read) override { Keep(m_starts, read); }
    void OnMacroDownload(const KeyboardMacroDownload& download) override {
        Keep(m_macros, download);
    }
    void OnSettingsRecordRead(const KeyboardRecordRead& read) override { RecordRead(read); }

    KeyboardStartRead LastStart() const { return LastOf(m_starts); }
    KeyboardMacroDownload LastMacros() const { return LastOf(m_macros); }

private:
    std::vector<KeyboardStartRead> m_starts;
    std::vector<KeyboardMacroDownload> m_macros;
};

std::vector<uint8_t> Repeated(uint8_t command, int times) {
    return std::vector<uint8_t>(static_cast<std::size_t>(times), command);
}

std::vector<uint8_t> Joined(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// Record 3 in force, so that a read of the wrong place shows.
std::vector<uint8_t> KeyboardSettingsMemory() {
    std::vector<uint8_t> memory(256, 0);
    memory[0] = 3;
    const uint8_t record[] = {3, 13, 2, 1, 0, 0, 10, 20, 30};
    std::copy(std::begin(record), std::end(record), memory.begin() + 75);
    memory[75 + 19] = 1;  // WFlag
    memory[75 + 21] = 1;  // WinFlag
    return memory;
}

const LightSetting kLight{.effect = 6,
                          .brightness = 4,
                          .speed = 1,
                          .direction = 1,
                          .multiColor = 0,
                          .red = 200,
                          .green = 100,
                          .blue = 50};

std::vector<KeyAssignmentEntry> DefaultKeys() {
    std::vector<KeyAssignmentEntry> keys(kLogicalKeyCount);
    for (int i = 0; i < kLogicalKeyCount; ++i) {
        const KeyCode code = kDefaultKeyTable[static_cast<std::size_t>(i)];
        keys[static_cast<std::size_t>(i)] = {static_cast<uint16_t>(i), code,
                                             static_cast<uint16_t>(i), code};
    }
    return keys;
}

KeyboardProfileImage Profile() {
    KeyboardProfileImage image;
    image.light = kLight;
    image.system.key6Flag = 1;
    image.system.pollingRate = 2;
    image.macros = {MacroEvents{{10, 10, true, 4}, {20, 10, false, 4}}};
    image.keys = DefaultKeys();
    image.keys[0].code = KeyCode{0x20, 0x00, 0x04};  // Esc becomes A
    return image;
}

class KeyboardDriverTest : public test::DriverFixture<KeyboardDriver, KeyboardSink> {
protected:
    KeyboardDriverTest() : DriverFixture(KeyboardModel()) { SetSettings(KeyboardSettingsMemory()); }

    std::unique_ptr<KeyboardDriver> MakeDriver() override {
        return std::make_unique<KeyboardDriver>(m_device.Backend(), &m_sink, &SteadyClock::now,
                                                [this] { return m_now.load(); });
    }
    void SetKeyCount(int keyCount) {
        FirmwareMemory memory = Memory();
        memory.info[kInfoKeyCount] = static_cast<uint8_t>(keyCount);
        SetMemory(memory);
    }

    void ReadKeyboard() {
        ASSERT_EQ(m_sink.ResultOf(m_driver->RequestStart()), kResultSuccess);
        m_device.ClearReceived();
    }

    // The logical key wired at a physical slot of the emulated keyboard.
    int KeyAtSlot(int slot) { return m_driver->Maps().LogicalKeyAtSlot(slot); }
};

TEST_F(KeyboardDriverTest, StartReadsTheImageAndLightTableOfTheKeyCountAndBuildsTheMaps) {
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestStart()), kResultSuccess);
    const std::vector<Packet> sent = m_device.Received();
    // 126 keys: 378 bytes of image in seven chunks, 126 bytes of light table in three.
    EXPECT_EQ(Commands(sent), Joined({{kCmdBegin, kCmdReadDeviceInfo},
                                      Repeated(kCmdReadKeyImage, 7),
                                      Repeated(kCmdReadKeyLightIndexTable, 3),
                                      {kCmdEnd}}));
    EXPECT_EQ(m_driver->Primary().ImageLength(), 378);
    const KeyboardStartRead read = m_sink.LastStart();
    EXPECT_TRUE(read.imageRead);
    EXPECT_EQ(read.keyCount, 126);
    const KeyMaps maps = m_driver->Maps();
    EXPECT_EQ(maps.keyCount, 126);
    // The slot of Esc holds its factory code, and its light is where the table puts that slot.
    const std::vector<uint8_t> image = KeyboardFactoryImage();
    const std::vector<uint8_t> lights = KeyboardLightIndexTable();
    const int esc = maps.slot[0];
    ASSERT_NE(esc, kNoKeyEntry);
    EXPECT_EQ(image[3 * esc + 2], 0x29);
    EXPECT_EQ(maps.light[0], lights[esc]);
    EXPECT_EQ(KeyAtSlot(esc), 0);
}

TEST_F(KeyboardDriverTest, ProfileSwitchSendsSettingsThenMacrosThenKeyImageEachInItsOwnBracket) {
    ReadKeyboard();
    const uint32_t id = m_driver->RequestApplyProfile(Profile(), KeyboardProfileWrite::kSwitch);
    ASSERT_EQ(m_sink.ResultOf(id), kResultSuccess);
    EXPECT_EQ(Commands(m_device.Received()),
              Joined({{kCmdBegin, kCmdWriteMemory, kCmdEnd},
                      {kCmdReadDeviceInfo, kCmdBegin, kCmdWriteMacroImage, kCmdEnd},
                      {kCmdReadDeviceInfo, kCmdBegin},
                      Repeated(kCmdWriteKeyImage, 7),
                      {kCmdEnd}}));
    const FirmwareMemory memory = Memory();
    // The record goes to record 0, with the software mode stored as 1 and the flags at 19-22.
    const std::vector<uint8_t> record = {0, 1, 4, 3, 1, 0, 200, 100, 50};
    EXPECT_TRUE(std::equal(record.begin(), record.end(), memory.settings.begin()));
    EXPECT_EQ(memory.settings[19], 0);
    EXPECT_EQ(memory.settings[20], 1);
    EXPECT_EQ(memory.settings[22], 2);
    EXPECT_EQ(memory.settings[75 + 1], 13);  // the record in force before is left alone
    // The macro block: magic, 16 + 6 + 8 bytes, one macro at offset 18.
    const std::vector<uint8_t> macros = {0xAA, 0x55, 30, 0, 1, 0};
    EXPECT_TRUE(std::equal(macros.begin(), macros.end(), memory.macros.begin()));
    EXPECT_EQ(memory.macros[16], 18);
    // Esc's slot now holds A; every other slot is as the keyboard had it.
    const int esc = m_driver->Maps().slot[0];
    std::vector<uint8_t> expected = KeyboardFactoryImage();
    expected[3 * esc + 2] = 0x04;
    EXPECT_EQ(memory.keyImage, expected);
    EXPECT_EQ(m_sink.LastMacros().figure, 0);
}

TEST_F(KeyboardDriverTest, RestoringDefaultsWritesKeysAndSettingsButNoMacros) {
    ReadKeyboard();
    const uint32_t id = m_driver->RequestApplyProfile(Profile(), KeyboardProfileWrite::kDefaults);
    ASSERT_EQ(m_sink.ResultOf(id), kResultSuccess);
    EXPECT_EQ(Commands(m_device.Received()),
              Joined({{kCmdReadDeviceInfo, kCmdBegin},
                      Repeated(kCmdWriteKeyImage, 7),
                      {kCmdEnd, kCmdBegin, kCmdWriteMemory, kCmdEnd}}));
    EXPECT_EQ(Memory().macros, std::vector<uint8_t>(32 * kMacroUnitBytes, 0));
}

TEST_F(KeyboardDriverTest, MacrosBeyondTheKeyboardsMemoryAreNotSentAndTheOverflowIsReported) {
    ReadKeyboard();
    // 16 + 6 + 4 x 1020 = 4102 bytes against 4096: 6 bytes over, 2 units with the one added.
    MacroEvents events(1020, MacroEvent{1, 10, true, 4});
    const uint32_t id = m_driver->RequestDownloadMacros({events});
    ASSERT_EQ(m_sink.ResultOf(id), kResultSuccess);
    EXPECT_EQ(Commands(m_device.Received()), std::vector<uint8_t>{kCmdReadDeviceInfo});
    EXPECT_EQ(m_sink.LastMacros().figure, 2);
    EXPECT_EQ(m_sink.LastMacros().capacityBytes, 4096u);
    // No macros: nothing to send.
    m_device.ClearReceived();
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestDownloadMacros({})), kResultSuccess);
    EXPECT_EQ(Commands(m_device.Received()), std::vector<uint8_t>{kCmdReadDeviceInfo});
    EXPECT_EQ(m_sink.LastMacros().figure, 0);
}

TEST_F(KeyboardDriverTest, AKeyboardOf171KeysIsNotReadButItsSettingsAndMacrosStillGo) {
    SetKeyCount(171);
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestStart()), kResultFailed);
    // The keyboard answered Begin, so it gets its End; no image is asked for.
    EXPECT_EQ(Commands(m_device.Received()),
              (std::vector<uint8_t>{kCmdBegin, kCmdReadDeviceInfo, kCmdEnd}));
    EXPECT_FALSE(m_sink.LastStart().imageRead);
    EXPECT_EQ(m_sink.LastStart().keyCount, 171);
    EXPECT_EQ(m_driver->KeyCount(), 0);
    const std::vector<uint8_t> imageBefore = Memory().keyImage;
    m_device.ClearReceived();
    const uint32_t id = m_driver->RequestApplyProfile(Profile(), KeyboardProfileWrite::kSwitch);
    EXPECT_EQ(m_sink.ResultOf(id), kResultFailed);
    EXPECT_EQ(Commands(m_device.Received()),
              Joined({{kCmdBegin, kCmdWriteMemory, kCmdEnd},
                      {kCmdReadDeviceInfo, kCmdBegin, kCmdWriteMacroImage, kCmdEnd},
                      {kCmdReadDeviceInfo}}));
    EXPECT_EQ(Memory().settings[20], 1);
    EXPECT_EQ(Memory().keyImage, imageBefore);
    // Defaults put the keys first: their refusal does not keep the settings back.
    m_device.ClearReceived();
    m_driver->RequestApplyProfile(Profile(), KeyboardProfileWrite::kDefaults);
    const uint32_t after = m_driver->RequestStatus();
    m_sink.ResultOf(after);
    EXPECT_EQ(Commands(m_device.Received()),
              (std::vector<uint8_t>{kCmdReadDeviceInfo, kCmdBegin, kCmdWriteMemory, kCmdEnd,
                                    kCmdReadStatus}));
}

TEST_F(KeyboardDriverTest, KeyImageIsRefusedWhileNoImageOfTheKeyCountWasRead) {
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestWriteKeyAssignments(DefaultKeys())), kResultFailed);
    EXPECT_EQ(Commands(m_device.Received()), std::vector<uint8_t>{kCmdReadDeviceInfo});
    ReadKeyboard();
    EXPECT_EQ(m_sink.ResultOf(m_driver->RequestWriteKeyAssignments(DefaultKeys(), 1)),
              kResultBadImageIndex);
    EXPECT_TRUE(m_device.Received().empty());
    // The keyboard now claims fewer keys than the image read: the image would not fit it.
    SetKeyCount(100);
    EXPECT_EQ(m_sink.ResultOf(m_driver->RequestWriteKeyAssignments(DefaultKeys())), kResultFailed);
    EXPECT_EQ(Commands(m_device.Received()), std::vector<uint8_t>{kCmdReadDeviceInfo});
    EXPECT_EQ(Memory().keyImage, KeyboardFactoryImage());
}

TEST_F(KeyboardDriverTest, SettingsChangedReadsTheRecordInForceAndPlaysIt) {
    ReadKeyboard();
    m_driver->ApplyLight(kLight);
    m_driver->Primary().SetLightSync(true);
    const auto sentAt = SteadyClock::now();
    ASSERT_TRUE(m_device.Emulator().SendSettingsChanged());
    const auto read = m_sink.WaitRead(1);
    ASSERT_TRUE(read);
    EXPECT_GE(SteadyClock::now() - sentAt, KeyboardDriver::kRereadDelay - 20ms);
    EXPECT_EQ(read->cause, KeyboardReadCause::kSettingsChanged);
    ASSERT_TRUE(read->Succeeded());
    const std::vector<Packet> sent = m_device.Received();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(PacketAddress(sent[0]), 0);
    EXPECT_EQ(PacketAddress(sent[1]), 75);  // record 3 x 25
    EXPECT_EQ(read->record.mode, 13);
    EXPECT_EQ(read->record.wFlag, 1);
    EXPECT_EQ(read->record.winFlag, 1);
    EXPECT_EQ(read->record.key6Flag, 0);
    EXPECT_EQ(read->light.effect, 13);
    EXPECT_EQ(read->light.speed, 3);
    EXPECT_EQ(read->light.red, 10);
    EXPECT_EQ(read->light.direction, kLight.direction);  // not taken from the keyboard
    EXPECT_EQ(read->previousLight, kLight);
    EXPECT_EQ(m_driver->Light().Setting().effect, 13);
    EXPECT_FALSE(m_driver->Primary().LightSync());
    ASSERT_TRUE(m_driver->LastRecord());
    EXPECT_EQ(m_driver->LastRecord()->mode, 13);
}

TEST_F(KeyboardDriverTest, AFailedReReadTakesNothing) {
    ReadKeyboard();
    m_driver->ApplyLight(kLight);
    // The first read succeeds; the second one is refused.
    m_device.Emulator().ScheduleFault(FaultKind::kStatusFF, 2);
    ASSERT_TRUE(m_device.Emulator().SendSettingsChanged());
    const auto read = m_sink.WaitRead(1);
    ASSERT_TRUE(read);
    EXPECT_FALSE(read->Succeeded());
    EXPECT_EQ(read->light, kLight);
    EXPECT_FALSE(m_driver->LastRecord());
    EXPECT_EQ(m_driver->Light().Setting(), kLight);
}

// Where a fault lands: a flow is a list of blocks, each of plain packets (the information
// record) and, maybe, a Begin ... End bracket around some packets.
struct Block {
    int plain;
    int bracketed;  // packets between Begin and End; -1 without a bracket
};

// The packets the keyboard receives when packet `faulty` (from 1) meets the fault: a silent
// keyboard ends the flow there; a refusal ends its block (with End inside a bracket) and, when
// the flow goes on after refusals, the next blocks still go.
std::size_t ExpectedPackets(const std::vector<Block>& blocks, int faulty, bool answered,
                            bool goesOn) {
    std::size_t count = 0;
    int position = 0;
    for (const Block& block : blocks) {
        bool refused = false;
        for (int i = 0; i < block.plain && !refused; ++i) {
            ++count;
            if (++position == faulty) {
                if (!answered) {
                    return count;
                }
                refused = true;
            }
        }
        const int inBracket = block.bracketed < 0 ? 0 : block.bracketed + 2;
        for (int i = 0; i < inBracket && !refused; ++i) {
            ++count;
            if (++position == faulty) {
                if (!answered) {
                    return count;
                }
                refused = true;
                count += i + 1 < inBracket ? 1 : 0;  // End after the refusal
            }
        }
        if (refused && !goesOn) {
            return count;
        }
    }
    return count;
}

struct KeyboardFlow {
    const char* name;
    std::vector<Block> blocks;
    bool goesOn;
    uint32_t (*request)(KeyboardDriver& driver);
};

const std::vector<KeyboardFlow>& Flows() {
    static const std::vector<KeyboardFlow> kFlows = {
        {"start", {{0, 11}}, false, [](KeyboardDriver& d) { return d.RequestStart(); }},
        {"read", {{2, -1}}, false, [](KeyboardDriver& d) { return d.RequestReadSettings(); }},
        {"profile switch",
         {{0, 1}, {1, 1}, {1, 7}},
         true,
         [](KeyboardDriver& d) {
             return d.RequestApplyProfile(Profile(), KeyboardProfileWrite::kSwitch);
         }},
    };
    return kFlows;
}

TEST_F(KeyboardDriverTest, EveryFaultAtEveryPacketEndsWithinOneTimeoutAndChangesNothingKept) {
    ReadKeyboard();
    ASSERT_EQ(m_sink.ResultOf(m_driver->RequestReadSettings()), kResultSuccess);
    m_driver->ApplyLight(kLight);
    const KeyMaps maps = m_driver->Maps();
    const auto record = m_driver->LastRecord();
    const LightSetting light = m_driver->Light().Setting();
    for (const KeyboardFlow& flow : Flows()) {
        int packets = 0;
        for (const Block& block : flow.blocks) {
            packets += block.plain + (block.bracketed < 0 ? 0 : block.bracketed + 2);
        }
        for (const FaultCase& fault : kFaults) {
            for (int packet = 1; packet <= packets; ++packet) {
                SCOPED_TRACE(::testing::Message()
                             << flow.name << ": " << fault.name << " at packet " << packet);
                Replug();
                // A keyboard whose memory changed meanwhile: a read taken by mistake shows.
                FirmwareMemory memory = Memory();
                memory.settings[75 + 1] = 9;
                memory.keyLightIndexTable[0] = 0x7F;
                SetMemory(memory);
                m_device.Emulator().ScheduleFault(fault.kind, static_cast<uint32_t>(packet));
                const auto start = SteadyClock::now();
                const auto result = m_sink.ResultOf(flow.request(*m_driver), kOneTimeout);
                EXPECT_LT(SteadyClock::now() - start, kOneTimeout);
                EXPECT_EQ(result, fault.result);
                EXPECT_EQ(m_device.Received().size(),
                          ExpectedPackets(flow.blocks, packet, Answered(fault.kind), flow.goesOn));
                const KeyMaps now = m_driver->Maps();
                EXPECT_EQ(now.slot, maps.slot);
                EXPECT_EQ(now.light, maps.light);
                EXPECT_EQ(m_driver->LastRecord()->kept, record->kept);
                EXPECT_EQ(m_driver->Light().Setting(), light);
            }
        }
    }
    // After the last unplug the keyboard is back and every flow goes through.
    Replug();
    for (const KeyboardFlow& flow : Flows()) {
        EXPECT_EQ(m_sink.ResultOf(flow.request(*m_driver)), kResultSuccess) << flow.name;
    }
}

TEST_F(KeyboardDriverTest, FlowsWhileDisconnectedSendNothing) {
    ReadKeyboard();
    m_driver->Disconnect();
    for (const KeyboardFlow& flow : Flows()) {
        EXPECT_EQ(m_sink.ResultOf(flow.request(*m_driver)), kResultFailed) << flow.name;
    }
    EXPECT_TRUE(m_device.Received().empty());
    EXPECT_EQ(m_driver->KeyCount(), 126);
}

TEST_F(KeyboardDriverTest, KeyEventsDriveTheReactiveFramesAroundTheKey) {
    ReadKeyboard();
    m_driver->ApplyLight(kLight);  // mode 6: a pressed key lights and stays lit while held
    const int slot = 40;
    const int key = KeyAtSlot(slot);
    ASSERT_GE(key, 0);
    const KeyMaps maps = m_driver->Maps();
    const auto waitFor = [&](KeyReaction reaction) {
        const auto deadline = SteadyClock::now() + 5s;
        while (m_driver->Light().SnapshotState().reaction[key] != reaction &&
               SteadyClock::now() < deadline) {
            std::this_thread::sleep_for(1ms);
        }
        return m_driver->Light().SnapshotState().reaction[key] == reaction;
    };
    ASSERT_TRUE(m_device.Emulator().SendKeyEvent(slot, true));
    ASSERT_TRUE(waitFor(KeyReaction::kRising));
    // Enough passes for a step at speed 1 (period 5, 3 counts per tick).
    for (int i = 0; i < 4; ++i) {
        m_now += 2;
        m_driver->Light().RunPass();
    }
    std::array<uint8_t, kMaxKeySlots * 3> frame{};
    ASSERT_EQ(m_driver->Light().ComposeFrame(maps, frame), 378u);
    const int at = 3 * maps.light[key];
    // Brightness 4 is 195: 200 x (195 x 255 / 256) / 256.
    EXPECT_EQ(frame[at], 200 * (195 * 255 / 256) / 256);
    const auto lit = std::count_if(frame.begin(), frame.end(), [](uint8_t b) { return b != 0; });
    EXPECT_EQ(lit, 3);
    ASSERT_TRUE(m_device.Emulator().SendKeyEvent(slot, false));
    ASSERT_TRUE(waitFor(KeyReaction::kFalling));
    for (int i = 0; i < 4; ++i) {
        m_now += 2;
        m_driver->Light().RunPass();
    }
    std::array<uint8_t, kMaxKeySlots * 3> later{};
    m_driver->Light().ComposeFrame(maps, later);
    EXPECT_LT(later[at], frame[at]);
    EXPECT_GT(later[at], 0);
}

TEST_F(KeyboardDriverTest, AKeyEventOfASlotNoKeyMapsToChangesNothing) {
    ReadKeyboard();
    LightSetting light = kLight;
    light.effect = 7;  // a press sets plane bits
    m_driver->ApplyLight(light);
    const KeyMaps maps = m_driver->Maps();
    int unmapped = -1;
    for (int slot = 0; slot < maps.keyCount && unmapped < 0; ++slot) {
        unmapped = maps.LogicalKeyAtSlot(slot) < 0 ? slot : -1;
    }
    ASSERT_GE(unmapped, 0);
    ASSERT_TRUE(m_device.Emulator().SendKeyEvent(static_cast<uint8_t>(unmapped), true));
    // A mapped key after it: once that one shows, the first was handled.
    const int mapped = maps.slot[51];
    ASSERT_TRUE(m_device.Emulator().SendKeyEvent(static_cast<uint8_t>(mapped), true));
    const auto deadline = SteadyClock::now() + 5s;
    const auto bits = [&] {
        int count = 0;
        for (const LightPlane& plane : m_driver->Light().SnapshotState().planes) {
            for (uint8_t column : plane) {
                count += std::popcount(column);
            }
        }
        return count;
    };
    while (bits() == 0 && SteadyClock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(bits(), 4);  // one place, in all four planes
}

TEST_F(KeyboardDriverTest, StoppedWhileTheLightThreadReaderAndFramesRun) {
    ReadKeyboard();
    LightSetting light = kLight;
    light.effect = 23;
    light.speed = 5;
    m_driver->ApplyLight(light);
    m_driver->Light().SetLightList({LightSetting{.effect = 1, .brightness = 5, .red = 9}});
    m_driver->Light().Start();
    std::atomic<bool> done{false};
    std::thread frames([&] {
        while (!done) {
            m_now += 2;
            m_driver->SubmitLightFrame();
            std::this_thread::sleep_for(1ms);
        }
    });
    for (int i = 0; i < 20; ++i) {
        m_device.Emulator().SendKeyEvent(static_cast<uint8_t>(i), i % 2 == 0);
        std::this_thread::sleep_for(2ms);
    }
    ASSERT_TRUE(m_device.Emulator().SendSettingsChanged());
    std::this_thread::sleep_for(150ms);
    EXPECT_GT(m_driver->Frames().sent, 0u);
    const auto start = SteadyClock::now();
    done = true;
    frames.join();
    m_driver.reset();
    EXPECT_LT(SteadyClock::now() - start, kOneTimeout);
}

}  // namespace
}  // namespace quaro
