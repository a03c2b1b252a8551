#include "Quaroctl.h"
#include "SimBusTestSupport.h"
#include "TempDir.h"
#include "device/SimHidBackend.h"
#include "profiles/MacroLibrary.h"
#include "sim/EmulatorModels.h"

#include <gtest/gtest.h>
#include <json/writer.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace quaro {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Restores one environment variable when the test ends.
class EnvironmentScope {
public:
    EnvironmentScope(const char* name, const std::string& value) : m_name(name) {
        if (const char* previous = std::getenv(name)) {
            m_previous = previous;
        }
        setenv(name, value.c_str(), 1);
    }
    ~EnvironmentScope() {
        if (m_previous) {
            setenv(m_name, m_previous->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::optional<std::string> m_previous;
};

// quaroctl apply in-process: a private data home with two profiles of a kind, a private runtime
// folder (no application listens there unless a test makes it) and one emulated device.
class QuaroctlApplyTest : public ::testing::Test {
protected:
    void Start(EmulatorModel model, const char* folderName) {
        m_device = std::make_unique<test::EmulatedDevice>(std::move(model));
        m_folder = m_home.Path() / "MV5521LUX gaming keyboard" / folderName;
        std::filesystem::create_directories(m_folder);
        Json::Value list(Json::objectValue);
        int brightness = 1;
        for (const char* name : {"Calm", "Party"}) {
            const std::string id = std::string("id-") + name;
            Json::Value entry(Json::objectValue);
            entry["profilename"] = name;
            entry["profileUUID"] = id;
            entry["profileislink"] = 0;
            entry["profilelinkmame"] = "";
            list["profilelist"].append(entry);
            Json::Value light(Json::objectValue);
            light["SelectItem"] = 4;
            light["Light"] = brightness;
            brightness += 3;
            light["Speed"] = 2;
            light["Red"] = 0x12;
            light["Green"] = 0x34;
            light["Blue"] = 0x56;
            Json::Value document(Json::objectValue);
            document["profileUUID"] = id;
            document["profilename"] = name;
            document["Device"][0]["LightInfo"] = light;
            test::WriteFileBytes(m_folder / (id + ".Json"),
                                 Json::writeString(Json::StreamWriterBuilder(), document));
        }
        list["profileselect"] = 0;
        test::WriteFileBytes(m_folder / "ProfileList.ini",
                             Json::writeString(Json::StreamWriterBuilder(), list));
        m_device->ClearReceived();
    }

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

    // The command bytes received, a transfer of several packets counted once: the order of the
    // exchanges is what the device sees of a profile.
    std::string CommandTrail() const {
        std::string trail;
        int previous = -1;
        for (const Packet& packet : m_device->Received()) {
            if (packet[kPacketCommand] == previous) {
                continue;
            }
            previous = packet[kPacketCommand];
            char text[4];
            std::snprintf(text, sizeof text, "%02x ", packet[kPacketCommand]);
            trail += text;
        }
        return trail;
    }

    test::TempDir m_home;
    test::TempDir m_runtime;
    EnvironmentScope m_dataHome{"XDG_DATA_HOME", m_home.Path().string()};
    EnvironmentScope m_runtimeDir{"XDG_RUNTIME_DIR", m_runtime.Path().string()};
    std::filesystem::path m_folder;
    std::unique_ptr<test::EmulatedDevice> m_device;
};

TEST_F(QuaroctlApplyTest, KeyboardTakesSettingsMacrosAndKeysInTheirOwnExchanges) {
    Start(KeyboardModel(), "keyboard");
    MacroLibrary macros(m_folder);
    ASSERT_FALSE(macros.Add().empty());
    ASSERT_TRUE(macros.Save(0, {MacroEvent{}, MacroEvent{}}));

    const Outcome outcome = Run({"apply", "keyboard", "party"});
    ASSERT_EQ(outcome.status, kExitSuccess) << outcome.err;
    EXPECT_NE(outcome.out.find("applied profile Party"), std::string::npos) << outcome.out;

    // The arrival read, then the settings record, the macro block and the key image.
    const std::string trail = CommandTrail();
    const std::string expected = "01 06 02 03 01 15 02 03 01 09 02 ";
    ASSERT_GE(trail.size(), expected.size()) << trail;
    EXPECT_EQ(trail.substr(trail.size() - expected.size()), expected) << trail;
    EXPECT_EQ(trail.substr(0, 6), "01 03 ") << trail;

    const FirmwareMemory memory = m_device->Emulator().Firmware().Memory();
    EXPECT_EQ(memory.settings[2], 4);  // Party's brightness; Calm has 1
    EXPECT_EQ(memory.settings[6], 0x12);
    // The name given became the selection, as the application will show it.
    const Outcome listing = Run({"profiles", "keyboard"});
    EXPECT_NE(listing.out.find("* Party"), std::string::npos) << listing.out;
}

TEST_F(QuaroctlApplyTest, MousePadKeepsTheRecordBytesTheProfileDoesNotHold) {
    Start(MousePadModel(), "MousePad");
    FirmwareMemory memory = m_device->Emulator().Firmware().Memory();
    memory.settings[20] = 0x5A;  // beyond the light fields
    m_device->Emulator().Firmware().SetMemory(memory);

    const Outcome outcome = Run({"apply", "mousepad", "--json"});
    ASSERT_EQ(outcome.status, kExitSuccess) << outcome.err;
    EXPECT_NE(outcome.out.find("\"profile\" : \"Calm\""), std::string::npos) << outcome.out;
    const FirmwareMemory after = m_device->Emulator().Firmware().Memory();
    EXPECT_EQ(after.settings[20], 0x5A);
    EXPECT_NE(after.settings, memory.settings);  // the light fields changed
}

TEST_F(QuaroctlApplyTest, RunningApplicationIsAskedAndTheDeviceLeftAlone) {
    Start(KeyboardModel(), "keyboard");
    const std::string path = (m_runtime.Path() / "MIREL_QUARO").string();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);

    const Outcome outcome = Run({"apply", "keyboard"});
    EXPECT_EQ(outcome.status, kExitSuccess) << outcome.err;
    EXPECT_NE(outcome.out.find("running application applies profile Calm"), std::string::npos);

    const int peer = ::accept(listener, nullptr, nullptr);
    ASSERT_GE(peer, 0);
    char line[64] = {};
    ASSERT_GT(::recv(peer, line, sizeof line - 1, 0), 0);
    EXPECT_STREQ(line, "POST QUARO_APPLY_PROFILE 1 0\n");
    ::close(peer);
    ::close(listener);
    EXPECT_TRUE(m_device->Received().empty()) << CommandTrail();
}

TEST_F(QuaroctlApplyTest, RefusalsLeaveSelectionAndDeviceAsTheyWere) {
    Start(KeyboardModel(), "keyboard");
    EXPECT_EQ(Run({"apply", "keyboard", "Nope"}).status, kExitNoSuchProfile);
    EXPECT_EQ(Run({"apply", "headset"}).status, kExitNotHeld);
    EXPECT_EQ(Run({"apply", "toaster"}).status, kExitUsage);
    EXPECT_TRUE(m_device->Received().empty()) << CommandTrail();
    EXPECT_NE(Run({"profiles", "keyboard"}).out.find("* Calm"), std::string::npos);

    m_device->Emulator().Unplug();
    const Outcome gone = Run({"apply", "keyboard"});
    EXPECT_EQ(gone.status, kExitDeviceError);
    EXPECT_NE(gone.err.find("no keyboard found"), std::string::npos) << gone.err;
}

}  // namespace
}  // namespace quaro
