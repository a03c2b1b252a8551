#include "DeviceListing.h"
#include "DeviceSession.h"
#include "Quaroctl.h"
#include "RecordReports.h"
#include "SimBusTestSupport.h"
#include "device/CatalogueEntries.h"
#include "device/SimHidBackend.h"
#include "devices/mouse/MouseDriver.h"
#include "sim/EmulatorModels.h"

#include <gtest/gtest.h>
#include <json/reader.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <set>
#include <sstream>

namespace quaro {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// quaroctl run in-process against one emulated device on a private bus.
class QuaroctlReadTest : public ::testing::Test {
protected:
    void Start(EmulatorModel model) { m_device = std::make_unique<test::EmulatedDevice>(model); }

    Outcome Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--bus", m_device->Bus().string()});
        std::ostringstream out;
        std::ostringstream err;
        Outcome outcome;
        outcome.status = RunQuaroctl(args, out, err, [](const std::filesystem::path& bus) {
            return std::make_shared<SimHidBackend>(bus);
        });
        outcome.out = out.str();
        outcome.err = err.str();
        return outcome;
    }

    // The --json output parsed back; fails the test when it is not one JSON object.
    Json::Value RunJson(std::vector<std::string> args) {
        args.push_back("--json");
        const Outcome outcome = Run(args);
        EXPECT_EQ(outcome.status, kExitSuccess) << outcome.err;
        Json::Value document;
        Json::CharReaderBuilder builder;
        std::string errors;
        std::istringstream in(outcome.out);
        EXPECT_TRUE(Json::parseFromStream(builder, in, &document, &errors)) << errors;
        EXPECT_TRUE(document.isObject());
        return document;
    }

    FirmwareMemory Memory() { return m_device->Emulator().Firmware().Memory(); }
    void SetMemory(const FirmwareMemory& memory) {
        m_device->Emulator().Firmware().SetMemory(memory);
    }
    // Commands sent to the command interface, in order.
    std::vector<uint8_t> Commands() {
        std::vector<uint8_t> commands;
        for (const Packet& packet : m_device->Received()) {
            commands.push_back(packet[kPacketCommand]);
        }
        return commands;
    }

    std::unique_ptr<test::EmulatedDevice> m_device;
};

TEST_F(QuaroctlReadTest, KeyboardSettingsComeFromTheRecordInForce) {
    Start(KeyboardModel());
    FirmwareMemory memory = Memory();
    // Record 2 is in force; record 0 keeps the factory values that must not be shown.
    const std::vector<uint8_t> record = {2, 13, 3, 1, 1, 0, 0x11, 0x22, 0x33, 0, 0, 0, 0,
                                         0, 0,  0, 0, 0, 0, 1,    1,    0,    4, 0, 0};
    memory.settings[0] = 2;
    std::copy(record.begin() + 1, record.end(), memory.settings.begin() + 2 * 25 + 1);
    SetMemory(memory);

    const Json::Value document = RunJson({"read", "keyboard", "settings"});
    EXPECT_EQ(document["kind"].asString(), "keyboard");
    EXPECT_NE(document["path"].asString().find("mi_01&col04"), std::string::npos);
    const Json::Value& settings = document["settings"];
    EXPECT_EQ(settings["recordNumber"].asInt(), 0);  // the slot keeps 0 in its own byte 0
    EXPECT_EQ(settings["mode"].asInt(), 13);
    EXPECT_EQ(settings["brightness"].asInt(), 3);
    EXPECT_EQ(settings["speed"].asInt(), 3);
    EXPECT_EQ(settings["direction"].asInt(), 1);
    EXPECT_EQ(settings["multiColor"].asInt(), 0);
    EXPECT_EQ(settings["red"].asInt(), 0x11);
    EXPECT_EQ(settings["blue"].asInt(), 0x33);
    EXPECT_EQ(settings["wFlag"].asInt(), 1);
    EXPECT_EQ(settings["key6Flag"].asInt(), 1);
    EXPECT_EQ(settings["winFlag"].asInt(), 0);
    EXPECT_EQ(settings["pollingRate"].asInt(), 4);
    EXPECT_EQ(settings["bytes"].asString().substr(0, 26), "00 0d 03 01 01 00 11 22 33");

    // Settings are read as the page re-reads them: two memory reads and nothing else.
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{kCmdReadMemory, kCmdReadMemory}));
    const std::vector<Packet> received = m_device->Received();
    EXPECT_EQ(received[1][kPacketLength], 25);
    EXPECT_EQ(PacketAddress(received[1]), 50);

    const Outcome text = Run({"read", "keyboard", "settings"});
    ASSERT_EQ(text.status, kExitSuccess) << text.err;
    EXPECT_NE(text.out.find("\nmode:         13\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("\npollingRate:  4\n"), std::string::npos) << text.out;
}

TEST_F(QuaroctlReadTest, MouseSettingsShowEveryDpiStage) {
    Start(MouseModel());
    FirmwareMemory memory = Memory();
    memory.settings[0] = 1;
    uint8_t* record = &memory.settings[128];
    record[1] = 3;
    record[11] = 2;
    record[12] = 1;
    record[14 + 9] = 1;         // stage 1 enabled
    record[14 + 9 + 2] = 0x20;  // DPI X 0x0120 units
    record[14 + 9 + 3] = 0x01;
    record[60] = 0x80;  // 1920
    record[61] = 0x07;
    SetMemory(memory);

    const Json::Value settings = RunJson({"read", "mouse", "settings"})["settings"];
    EXPECT_EQ(settings["mode"].asInt(), 3);
    EXPECT_EQ(settings["reportRate"].asInt(), 2);
    EXPECT_EQ(settings["activeStage"].asInt(), 1);
    EXPECT_EQ(settings["screenWidth"].asInt(), 1920);
    ASSERT_EQ(settings["dpiStages"].size(), 5u);
    EXPECT_EQ(settings["dpiStages"][1]["enabled"].asInt(), 1);
    EXPECT_EQ(settings["dpiStages"][1]["dpiXUnits"].asInt(), 0x120);
    EXPECT_EQ(settings["dpiStages"][0]["dpiXUnits"].asInt(), 0);
    const std::vector<Packet> received = m_device->Received();
    ASSERT_EQ(received.size(), 3u);  // the record number, then 71 bytes as 56 and 15
    EXPECT_EQ(PacketAddress(received[1]), 128);
    EXPECT_EQ(received[1][kPacketLength], 56);
    EXPECT_EQ(PacketAddress(received[2]), 128 + 56);
    EXPECT_EQ(received[2][kPacketLength], 15);
}

// What the mouse page writes is what quaroctl shows: a DPI stage the driver put into record 0
// comes back through "read mouse settings", beside the mouse's information and buttons.
TEST_F(QuaroctlReadTest, MouseStageWrittenByTheDriverShowsInTheSettings) {
    Start(MouseModel());
    {
        class Quiet : public MouseDriverSink {
        public:
            void OnFlowDone(uint32_t, int32_t result) override {
                std::lock_guard lock(m_mutex);
                m_results.push_back(result);
                m_done.notify_all();
            }
            void OnStatusRead(const StatusBytes&) override {}
            void OnMouseStartRead(const MouseStartRead&) override {}
            void OnMacroDownload(const MouseMacroDownload&) override {}
            void OnSettingsRecordRead(const MouseRecordRead&) override {}
            std::vector<int32_t> Wait(std::size_t count) {
                std::unique_lock lock(m_mutex);
                m_done.wait_for(lock, std::chrono::seconds(10),
                                [&] { return m_results.size() >= count; });
                return m_results;
            }

        private:
            std::mutex m_mutex;
            std::condition_variable m_done;
            std::vector<int32_t> m_results;
        } sink;
        MouseDriver driver(std::make_shared<SimHidBackend>(m_device->Bus()), &sink);
        driver.Start();
        ASSERT_TRUE(driver.Connect(m_device->PathOf(1, 4)));
        MouseSettingsWrite settings;
        settings.activeStage = 2;
        settings.stages = {
            {1, 0, 16, 16, 0, 0, 0}, {1, 0, 24, 24, 0, 0, 0}, {1, 0, 37, 37, 9, 8, 7}};
        settings.screenWidth = 2560;
        settings.screenHeight = 1440;
        driver.RequestStart();
        driver.RequestWriteSettingsRecord(settings);
        EXPECT_EQ(sink.Wait(2), (std::vector<int32_t>{kResultSuccess, kResultSuccess}));
    }
    m_device->ClearReceived();
    const Json::Value settings = RunJson({"read", "mouse", "settings"})["settings"];
    EXPECT_EQ(settings["activeStage"].asInt(), 2);
    EXPECT_EQ(settings["dpiStages"][2]["enabled"].asInt(), 1);
    EXPECT_EQ(settings["dpiStages"][2]["dpiXUnits"].asInt(), 37);
    EXPECT_EQ(settings["screenHeight"].asInt(), 1440);
    const Outcome text = Run({"read", "mouse", "settings"});
    ASSERT_EQ(text.status, kExitSuccess) << text.err;
    // The text form shows the same stage as a row of the stage table.
    std::istringstream lines(text.out);
    bool stageRow = false;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::vector<std::string> row;
        for (std::string word; words >> word;) {
            row.push_back(word);
        }
        stageRow =
            stageRow || row == std::vector<std::string>{"2", "1", "0", "37", "37", "9", "8", "7"};
    }
    EXPECT_TRUE(stageRow) << text.out;

    const Json::Value info = RunJson({"read", "mouse", "info"});
    EXPECT_EQ(info["dpiStep"].asInt(), 50);
    EXPECT_EQ(info["minDpi"].asInt(), 100);
    EXPECT_EQ(info["keyCount"].asInt(), 10);
    const Json::Value buttons = RunJson({"read", "mouse", "buttons"})["keys"]["slots"];
    ASSERT_EQ(buttons.size(), 10u);
    EXPECT_EQ(buttons[0]["caption"].asString(), "mouse_key_left");
}

TEST_F(QuaroctlReadTest, KeyImageNamesEachSlotAndItsLogicalKey) {
    Start(KeyboardModel());
    FirmwareMemory memory = Memory();
    // Slot 0 holds Esc in the factory image; reassign the slot of A to LCtrl+A.
    int slotOfA = -1;
    for (std::size_t slot = 0; slot * 3 < memory.keyImage.size(); ++slot) {
        if (memory.keyImage[slot * 3] == 0x20 && memory.keyImage[slot * 3 + 2] == 0x04) {
            slotOfA = static_cast<int>(slot);
        }
    }
    ASSERT_GE(slotOfA, 0);
    memory.keyImage[slotOfA * 3 + 1] = 0x01;
    SetMemory(memory);

    const Json::Value keys = RunJson({"read", "keyboard", "keys"})["keys"];
    EXPECT_EQ(keys["keyCount"].asInt(), 126);
    ASSERT_EQ(keys["slots"].size(), 126u);
    const Json::Value& a = keys["slots"][slotOfA];
    EXPECT_EQ(a["code"].asString(), "20 01 04");
    EXPECT_EQ(a["profileCode"].asInt(), 0x200104);
    EXPECT_EQ(a["family"].asString(), "keyboard key");
    EXPECT_EQ(a["caption"].asString(), "keyboard_key_LCtrl+keyboard_key_A");
    EXPECT_TRUE(a["logicalKey"].isNull());  // a reassigned slot no longer shows its factory key
    int escapes = 0;
    for (const Json::Value& slot : keys["slots"]) {
        if (slot["caption"].asString() == "keyboard_key_Esc") {
            ++escapes;
            EXPECT_EQ(slot["logicalKey"].asInt(), 0);
        }
    }
    EXPECT_EQ(escapes, 1);
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{kCmdBegin, kCmdReadDeviceInfo, kCmdReadKeyImage,
                                                kCmdReadKeyImage, kCmdReadKeyImage,
                                                kCmdReadKeyImage, kCmdReadKeyImage,
                                                kCmdReadKeyImage, kCmdReadKeyImage, kCmdEnd}));
}

TEST_F(QuaroctlReadTest, MouseButtonsMapInTheFirmwaresOrder) {
    Start(MouseModel());
    const Json::Value slots = RunJson({"read", "mouse", "keys"})["keys"]["slots"];
    ASSERT_EQ(slots.size(), 10u);
    EXPECT_EQ(slots[3]["caption"].asString(), "mouse_key_back");
    EXPECT_EQ(slots[3]["logicalKey"].asInt(), 4);
    EXPECT_EQ(slots[8]["family"].asString(), "DPI shift");
    EXPECT_EQ(slots[8]["logicalKey"].asInt(), 9);
}

TEST_F(QuaroctlReadTest, KeyboardLightTableGivesEachSlotsLightIndex) {
    Start(KeyboardModel());
    const FirmwareMemory memory = Memory();
    const Json::Value lights = RunJson({"read", "keyboard", "lights"})["lights"];
    ASSERT_EQ(lights["slots"].size(), 126u);
    for (Json::ArrayIndex slot = 0; slot < lights["slots"].size(); ++slot) {
        EXPECT_EQ(lights["slots"][slot]["lightIndex"].asInt(), memory.keyLightIndexTable[slot]);
    }
    const std::vector<uint8_t> commands = Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), kCmdReadKeyLightIndexTable), 3);
}

TEST_F(QuaroctlReadTest, PadStatusAsThePowerWidgetReadsIt) {
    Start(MousePadModel());
    FirmwareMemory memory = Memory();
    memory.status = {55, 1, 0, 1, 9, 2};
    SetMemory(memory);
    const Json::Value status = RunJson({"read", "mousepad", "status"})["status"];
    EXPECT_EQ(status["batteryLevel"].asInt(), 55);
    EXPECT_EQ(status["chargeState"].asInt(), 1);
    EXPECT_FALSE(status["wireless"].asBool());  // the device's byte 3 is not the host's link
    EXPECT_EQ(status["notice"].asInt(), 9);
    EXPECT_EQ(status["phoneType"].asInt(), 2);
    EXPECT_EQ(status["bytes"].asString(), "37 01 00 01 09 02");
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{kCmdReadStatus}));

    const Outcome text = Run({"read", "mousepad", "status"});
    EXPECT_NE(text.out.find("batteryLevel: 55%"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("phoneType:    2 (samsung)"), std::string::npos) << text.out;
}

TEST_F(QuaroctlReadTest, HeadsetSettingsAreItsLightRecord) {
    Start(HeadsetModel());
    const Json::Value settings = RunJson({"read", "headset", "settings"})["settings"];
    EXPECT_EQ(settings["mode"].asInt(), 1);
    EXPECT_EQ(settings["brightness"].asInt(), 4);
    EXPECT_EQ(settings["speed"].asInt(), 2);
    EXPECT_EQ(settings["red"].asInt(), 255);
    EXPECT_EQ(settings["reserved"].asString(), "00 00 00 00 00 00 00 00 00 00 00 00");
}

// Every read on every kind sends only commands that leave the device as it was.
TEST_F(QuaroctlReadTest, EveryReadLeavesTheDeviceUntouched) {
    const std::set<uint8_t> readOnly = {
        kCmdBegin,        kCmdEnd,        kCmdReadDeviceInfo,         kCmdReadMemory,
        kCmdReadKeyImage, kCmdReadStatus, kCmdReadKeyLightIndexTable, kCmdLinkCheck};
    for (const std::string_view name : EmulatorNames()) {
        Start(*EmulatorModelByName(name));
        const FirmwareMemory before = Memory();
        for (const char* what : {"settings", "keys", "lights", "macros", "status"}) {
            Run({"read", std::string(name), what});
            Run({"read", std::string(name), what, "--json"});
        }
        for (uint8_t command : Commands()) {
            EXPECT_TRUE(readOnly.count(command)) << name << " got command " << int(command);
        }
        const FirmwareMemory after = Memory();
        EXPECT_EQ(after.settings, before.settings) << name;
        EXPECT_EQ(after.keyImage, before.keyImage) << name;
        EXPECT_EQ(after.macros, before.macros) << name;
        EXPECT_EQ(after.lightFrame, before.lightFrame) << name;
        m_device.reset();
    }
}

TEST_F(QuaroctlReadTest, WhatAKindDoesNotHoldIsRefusedWithoutTouchingIt) {
    Start(MousePadModel());
    for (const char* what : {"keys", "lights", "macros"}) {
        const Outcome outcome = Run({"read", "mousepad", what, "--json"});
        EXPECT_EQ(outcome.status, kExitNotHeld) << what;
        EXPECT_TRUE(outcome.out.empty()) << what;
        EXPECT_NE(outcome.err.find("the mousepad"), std::string::npos) << outcome.err;
    }
    EXPECT_TRUE(Commands().empty());

    // Given by path, the kind is learnt from the device before refusing.
    const std::string path = m_device->PathOf(1, 4);
    const Outcome byPath = Run({"read", path, "keys"});
    EXPECT_EQ(byPath.status, kExitNotHeld);
    EXPECT_NE(byPath.err.find("has no key image"), std::string::npos) << byPath.err;

    // A mouse has no key light index table even when it is not plugged in.
    EXPECT_EQ(Run({"read", "mouse", "lights"}).status, kExitNotHeld);
}

TEST_F(QuaroctlReadTest, MacroMemoryIsSizedButNotReadBack) {
    Start(KeyboardModel());
    const Outcome outcome = Run({"read", "keyboard", "macros"});
    EXPECT_EQ(outcome.status, kExitNotHeld);
    EXPECT_TRUE(outcome.out.empty());
    EXPECT_NE(outcome.err.find("macro memory (4096 bytes) cannot be read back"), std::string::npos)
        << outcome.err;
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{kCmdBegin, kCmdReadDeviceInfo, kCmdEnd}));
}

TEST_F(QuaroctlReadTest, FailedCommandsNameTheStepAndTheResult) {
    Start(KeyboardModel());
    struct Case {
        FaultKind fault;
        uint32_t packet;
        const char* what;
        const char* message;
    };
    const Case cases[] = {
        {FaultKind::kStatusFF, 2, "settings",
         "reading the settings record (command 0x05) failed: the device rejected the request "
         "(status 0xFF, result -102)"},
        {FaultKind::kStatusFE, 1, "status",
         "reading the status record (command 0x1A) failed: the device reported an error (status "
         "0xFE, result -103)"},
        {FaultKind::kStatusFF, 5, "keys", "reading the key image (command 0x07) failed"},
        {FaultKind::kNoReply, 1, "settings", "failed: the device did not answer (result 0)"},
    };
    for (const Case& c : cases) {
        m_device->ClearReceived();
        m_device->Emulator().ScheduleFault(c.fault, c.packet);
        const Outcome outcome = Run({"read", "keyboard", c.what, "--json"});
        EXPECT_EQ(outcome.status, kExitDeviceError) << c.message;
        EXPECT_TRUE(outcome.out.empty()) << outcome.out;
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
        if (std::string(c.what) == "keys") {
            // The exchange is closed even though a read inside it failed.
            EXPECT_EQ(Commands().back(), kCmdEnd);
        }
    }
}

TEST_F(QuaroctlReadTest, DeviceGoneMidReadIsAnErrorNotACrash) {
    Start(KeyboardModel());
    m_device->Emulator().ScheduleFault(FaultKind::kUnplug, 4);
    const Outcome outcome = Run({"read", "keyboard", "lights"});
    EXPECT_EQ(outcome.status, kExitDeviceError);
    EXPECT_TRUE(outcome.out.empty());
    EXPECT_NE(outcome.err.find("reading the key image (command 0x07) failed"), std::string::npos)
        << outcome.err;

    const Outcome absent = Run({"read", "keyboard", "settings"});
    EXPECT_EQ(absent.status, kExitDeviceError);
    EXPECT_NE(absent.err.find("no keyboard found"), std::string::npos) << absent.err;
}

// No catalogue row is of the slow-link kind yet, so the session is driven directly: behind a
// receiver every command first asks whether the mouse is there, and stops when it is not.
TEST_F(QuaroctlReadTest, SlowLinkAsksForTheMouseBeforeEveryCommand) {
    Start(MouseModel());
    {
        DeviceSession session(std::make_shared<SimHidBackend>(m_device->Bus()));
        std::string error;
        ASSERT_TRUE(session.Open(m_device->PathOf(1, 4), kKindMouseSlowLink, error)) << error;
        std::array<uint8_t, kStatusRecordSize> record{};
        ASSERT_TRUE(session.ReadStatusRecord(record)) << session.Failure();
        EXPECT_EQ(StatusReport(record, session.SlowLink()).ToJson()["wireless"].asBool(), true);
        EXPECT_EQ(Commands(), (std::vector<uint8_t>{kCmdLinkCheck, kCmdReadStatus}));

        FirmwareMemory memory = Memory();
        memory.linkPresent = false;
        SetMemory(memory);
        m_device->ClearReceived();
        DeviceInfo info;
        EXPECT_FALSE(session.ReadInfo(info));
        EXPECT_NE(session.Failure().find("does not answer"), std::string::npos);
        EXPECT_EQ(Commands(), (std::vector<uint8_t>{kCmdLinkCheck}));
    }
}

TEST_F(QuaroctlReadTest, ByPathAndUsageErrors) {
    Start(KeyboardModel());
    const Json::Value byPath = RunJson({"read", m_device->PathOf(1, 4), "settings"});
    EXPECT_EQ(byPath["kind"].asString(), "keyboard");
    EXPECT_EQ(byPath["settings"]["mode"].asInt(), 1);

    const Outcome events = Run({"read", m_device->PathOf(1, 3), "settings"});
    EXPECT_EQ(events.status, kExitDeviceError);
    EXPECT_NE(events.err.find("event interface"), std::string::npos) << events.err;

    EXPECT_EQ(Run({"read", "keyboard", "everything"}).status, kExitUsage);
    EXPECT_EQ(Run({"read", "toaster", "settings"}).status, kExitUsage);
    EXPECT_EQ(Run({"read", "keyboard"}).status, kExitUsage);
    EXPECT_EQ(Commands().size(), 2u);  // only the read by path reached the device
}

TEST_F(QuaroctlReadTest, ListAndInfoSpeakJsonToo) {
    Start(KeyboardModel());
    const Json::Value list = RunJson({"list"});
    ASSERT_EQ(list["interfaces"].size(), 2u);
    std::set<int> roles;
    for (const Json::Value& entry : list["interfaces"]) {
        EXPECT_EQ(entry["kind"].asString(), "keyboard");
        roles.insert(entry["role"].asInt());
    }
    EXPECT_EQ(roles, (std::set<int>{kRolePrimary, kRoleSecondary}));
    EXPECT_TRUE(list["problems"].empty());

    const Json::Value info = RunJson({"info", "keyboard"});
    EXPECT_EQ(info["path"].asString(), m_device->PathOf(1, 4));
    EXPECT_EQ(info["vendorId"].asString(), "0c45");
    EXPECT_EQ(info["productId"].asString(), "7666");
    EXPECT_EQ(info["firmwareVersion"].asString(), "1.05");
    EXPECT_EQ(info["keyCount"].asInt(), 126);
    EXPECT_EQ(info["macroCapacity"].asInt(), 4096);
    EXPECT_FALSE(info.isMember("dpiStep"));  // only a mouse has DPI stages
}

TEST(QuaroctlOpenError, ARefusedNodeNamesTheDevicesUdevRule) {
    const std::string text = OpenErrorText(EACCES, "/dev/hidraw3#vid_0d8c&pid_01da&mi_03");
    EXPECT_NE(text.find("0d8c:01da"), std::string::npos) << text;
    EXPECT_NE(text.find("70-quaro.rules"), std::string::npos) << text;
    EXPECT_NE(OpenErrorText(EACCES).find("70-quaro.rules"), std::string::npos);
    EXPECT_EQ(OpenErrorText(ENODEV, "/dev/hidraw3#vid_0d8c&pid_01da").find("udev"),
              std::string::npos);
}

}  // namespace
}  // namespace quaro
