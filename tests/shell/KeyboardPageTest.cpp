// The keyboard's page in the main window against an emulated keyboard on a simulated bus: what
// reaches the keyboard when it arrives, when a profile is switched and when a system option
// changes; what reaches the session's settings; what is left in the keyboard when the window
// goes; and that a keyboard failing halfway through a switch leaves the stored profile alone.

#include "RegisteredControls.h"
#include "TempDir.h"
#include "TraceCapture.h"
#include "device/CommandPacket.h"
#include "device/SimHidBackend.h"
#include "pages/CKestrovaKeyboardDevice.h"
#include "panels/devicetab/CDeviceOptionUI.h"
#include "platform/RecordingSystemSettings.h"
#include "profiles/MacroLibrary.h"
#include "shell/CMainWnd.h"
#include "sim/DeviceEmulator.h"
#include "sim/DeviceFirmware.h"
#include "sim/EmulatorModels.h"
#include "support/QtTestApp.h"
#include "ui/toolkit/CEditUI.h"
#include "ui/toolkit/CLabelUI.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CResourceManager.h"
#include "ui/toolkit/CSliderUI.h"

#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <span>

namespace quaro {
namespace {

constexpr int kWaitMs = 8000;

std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The command bytes the keyboard received, light frames and power status left out. Shared with
// the emulator's threads, which may still report after a test body ends.
struct Received {
    std::mutex mutex;
    std::vector<Packet> packets;

    std::vector<Packet> Packets() {
        std::lock_guard lock(mutex);
        return packets;
    }
    std::vector<int> Commands() {
        std::vector<int> commands;
        for (const Packet& packet : Packets()) {
            commands.push_back(packet[kPacketCommand]);
        }
        return commands;
    }
    void Clear() {
        std::lock_guard lock(mutex);
        packets.clear();
    }
};

class KeyboardInWindow : public ::testing::Test {
protected:
    KeyboardInWindow() {
        test::RegisterApplicationControls();
        m_resources.SetResourcePath(test::SourceSkinPath());
        m_resources.LoadResource(QStringLiteral("res.xml"));
        m_resources.LoadLanguage(QStringLiteral("lan_en.xml"));
    }
    ~KeyboardInWindow() override {
        m_window.reset();
        m_emulator.reset();
    }

    // The window with a keyboard plugged in, its page started and its start flow ended.
    void Start() {
        CMainWnd::Services services;
        services.settingsFolder = m_dir / "config";
        services.defaultDataFolder = test::SourceDefaultDataFolder();
        services.backend = std::make_shared<SimHidBackend>(m_bus.Path());
        services.discovery.watchHidraw = false;
        services.discovery.simBusFolder = m_bus.Path();
        services.dataHome = m_dir / "data";
        services.systemSettings = &m_session;
        m_window = std::make_unique<CMainWnd>(m_resources, services);
        m_window->Create(QStringLiteral("main"), Qt::Window | Qt::FramelessWindowHint);
        m_window->show();
        ASSERT_TRUE(test::WaitFor([&] { return m_window->IsInitialised(); }));

        m_emulator = std::make_unique<DeviceEmulator>(KeyboardModel(), m_bus.Path());
        m_emulator->SetPacketObserver([received = m_received](DeviceEmulator::Direction direction,
                                                              uint16_t,
                                                              std::span<const uint8_t> report) {
            if (direction != DeviceEmulator::Direction::kReceived || report.size() != kPacketSize ||
                report[kPacketCommand] == kCmdLightFrame ||
                report[kPacketCommand] == kCmdReadStatus) {
                return;
            }
            std::lock_guard lock(received->mutex);
            received->packets.emplace_back();
            std::copy(report.begin(), report.end(), received->packets.back().begin());
        });
        ASSERT_TRUE(m_emulator->Plug());
        ASSERT_TRUE(test::WaitFor(
            [&] {
                m_page = dynamic_cast<CKestrovaKeyboardDevice*>(
                    m_window->Devices().FirstPageOfKind(kKindKeyboard));
                return m_page != nullptr && m_page->GetDeviceTab()->IsShown();
            },
            kWaitMs));
        ASSERT_TRUE(test::WaitFor([&] { return m_received->Commands().size() >= 13; }, kWaitMs));
        WaitQuiet();
    }

    // Until the keyboard heard nothing new for a while.
    void WaitQuiet() {
        std::size_t seen = m_received->Packets().size();
        for (int round = 0; round < 40; ++round) {
            QTest::qWait(250);
            const std::size_t now = m_received->Packets().size();
            if (now == seen) {
                return;
            }
            seen = now;
        }
    }

    template <class T>
    T* Control(const char* name) const {
        return dynamic_cast<T*>(
            AsControl(m_page->GetWidget()->findChild<QWidget*>(QLatin1String(name))));
    }

    void Notify(CControlUI* sender, const QString& type) {
        ASSERT_NE(sender, nullptr);
        TNotifyUI msg;
        msg.sType = type;
        msg.pSender = sender;
        m_window->Notify(msg);
    }

    // The keyboard's entry of the stored profile as a fresh reader sees it.
    CKeyboardProfiledata Stored() const {
        CKeyboardProfiledata stored;
        stored.SetDefaultProfilePath(m_page->Profile().GetDefaultProfilePath());
        stored.SetProfilePath(m_page->Profile().GetProfilePath());
        stored.Load(m_page->Profile().GetProfilePath());
        return stored;
    }

    test::TempDir m_dir;
    test::TempDir m_bus;
    CResourceManager m_resources;
    RecordingSystemSettings m_session;
    std::shared_ptr<Received> m_received = std::make_shared<Received>();
    std::unique_ptr<DeviceEmulator> m_emulator;
    std::unique_ptr<CMainWnd> m_window;
    CKestrovaKeyboardDevice* m_page = nullptr;
};

TEST_F(KeyboardInWindow, ArrivalReadsTheKeyboardAndSwitchWritesItsThreeBlocksInOrder) {
    Start();
    const std::vector<int> start = m_received->Commands();
    // The image of 126 keys comes in seven chunks, the light index table in three.
    std::vector<int> expectedStart = {kCmdBegin, kCmdReadDeviceInfo};
    expectedStart.insert(expectedStart.end(), 7, kCmdReadKeyImage);
    expectedStart.insert(expectedStart.end(), 3, kCmdReadKeyLightIndexTable);
    expectedStart.push_back(kCmdEnd);
    ASSERT_GE(start.size(), expectedStart.size());
    EXPECT_EQ(std::vector<int>(start.begin(),
                               start.begin() + static_cast<std::ptrdiff_t>(expectedStart.size())),
              expectedStart);
    EXPECT_EQ(m_page->GetKeyboardDriver()->KeyCount(), 126);
    // Nothing went to the session on the way.
    EXPECT_TRUE(m_session.Requests().empty());

    // A macro in the library, so the switch has a macro block to send.
    MacroLibrary macros(m_page->UserDataFolder());
    ASSERT_FALSE(macros.Add().empty());
    ASSERT_TRUE(macros.Save(0, {{10, 1, true, 4}, {10, 1, false, 4}}));

    m_received->Clear();
    ASSERT_TRUE(m_page->ApplySelectedProfile());
    WaitQuiet();
    // A block goes in as many packets as its length needs; one of each is enough to tell.
    std::vector<int> written = m_received->Commands();
    written.erase(std::unique(written.begin(), written.end(),
                              [](int a, int b) {
                                  return a == b &&
                                         (a == kCmdWriteKeyImage || a == kCmdWriteMacroImage);
                              }),
                  written.end());
    const std::vector<int> expected = {kCmdBegin,
                                       kCmdWriteMemory,
                                       kCmdEnd,  // record
                                       kCmdReadDeviceInfo,
                                       kCmdBegin,
                                       kCmdWriteMacroImage,
                                       kCmdEnd,  // macros
                                       kCmdReadDeviceInfo,
                                       kCmdBegin,
                                       kCmdWriteKeyImage,
                                       kCmdEnd};  // keys
    EXPECT_EQ(written, expected);
}

TEST_F(KeyboardInWindow, ShowingStoredSystemSettingsWritesNeitherSessionNorKeyboard) {
    Start();
    // A profile whose delay choice the page does not know, with the Windows key locked.
    CKeyboardProfiledata profile = Stored();
    SystemSettings system;
    system.repeat = 9;
    system.repeatDelay = 7;
    system.winFlag = 1;
    system.pollingRate = 2;
    const std::array<uint32_t, 3> words = system.ToWords();
    profile.SetSystemStages(words[0], words[1], words[2]);
    ASSERT_EQ(profile.Save(), 0);
    const std::string document = ReadWhole(m_page->Profile().GetProfilePath());

    m_received->Clear();
    m_page->LoadProfile();
    m_page->RefreshPanels();
    QTest::qWait(300);

    EXPECT_TRUE(Control<COptionUI>("winlockflag_option")->IsSelected());
    EXPECT_FALSE(Control<COptionUI>("6flag_option")->IsSelected());
    EXPECT_TRUE(Control<COptionUI>("polling_rate_option_2")->IsSelected());
    EXPECT_FALSE(Control<COptionUI>("polling_rate_option_0")->IsSelected());
    EXPECT_EQ(Control<CSliderUI>("repeat_rate_slider")->GetValue(), 9);
    // Choice 7 shows as the first choice; the stored value stays as it was.
    EXPECT_TRUE(Control<COptionUI>("repeat_delay_check_0")->IsSelected());
    EXPECT_TRUE(Control<CLabelUI>("repeat_delay_time_label1")->GetText().endsWith(u"250ms"));
    EXPECT_EQ(m_page->GetSystemSettings().repeatDelay, 7);

    EXPECT_TRUE(m_session.Requests().empty());
    EXPECT_TRUE(m_received->Commands().empty());
    EXPECT_EQ(ReadWhole(m_page->Profile().GetProfilePath()), document);
}

TEST_F(KeyboardInWindow, RepeatRoutesReachTheSessionAndTheProfileButNotTheKeyboard) {
    Start();
    m_received->Clear();
    Control<CSliderUI>("repeat_rate_slider")->SetValue(12, false);
    Notify(Control<CSliderUI>("repeat_rate_slider"), notify::kValueChanged);
    Control<COptionUI>("repeat_delay_check_2")->Selected(true, false);
    Notify(Control<COptionUI>("repeat_delay_check_2"), notify::kSelectChanged);
    // The option the group cleared speaks too, and must not count.
    Notify(Control<COptionUI>("repeat_delay_check_1"), notify::kSelectChanged);

    const std::vector<RecordingSystemSettings::Request> requests = m_session.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].setting, "repeat speed");
    EXPECT_EQ(requests[0].value, 12u);
    EXPECT_EQ(requests[0].applied, RepeatIntervalMs(12));
    EXPECT_EQ(requests[1].setting, "repeat delay");
    EXPECT_EQ(requests[1].value, 2u);
    EXPECT_EQ(requests[1].applied, 750u);
    EXPECT_TRUE(Control<CLabelUI>("repeat_delay_time_label1")->GetText().endsWith(u"750ms"));

    const SystemSettings stored = SystemSettings::FromWords(Stored().GetSystemStages());
    EXPECT_EQ(stored.repeat, 12);
    EXPECT_EQ(stored.repeatDelay, 2);
    QTest::qWait(300);
    EXPECT_TRUE(m_received->Commands().empty());

    // The test field empties on its button.
    auto* field = Control<CRichEditUI>("repeat_input_richedit");
    ASSERT_NE(field, nullptr);
    field->setPlainText(QStringLiteral("aaaaaaa"));
    Notify(Control<CControlUI>("reset_repeat_btn"), notify::kClick);
    EXPECT_TRUE(field->toPlainText().isEmpty());
}

TEST_F(KeyboardInWindow, FlagChangeWritesTheSettingsRecordWithOnlyItsByteChanged) {
    Start();
    const std::vector<uint8_t> before = m_emulator->Firmware().Memory().settings;
    ASSERT_GE(before.size(), kKeyboardSettingsRecordSize);
    m_received->Clear();
    Control<COptionUI>("6flag_option")->Selected(true, false);
    Notify(Control<COptionUI>("6flag_option"), notify::kSelectChanged);
    WaitQuiet();

    const std::vector<Packet> sent = m_received->Packets();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0][kPacketCommand], kCmdBegin);
    EXPECT_EQ(sent[1][kPacketCommand], kCmdWriteMemory);
    EXPECT_EQ(sent[1][kPacketLength], kKeyboardSettingsRecordSize);
    EXPECT_EQ(sent[2][kPacketCommand], kCmdEnd);
    const std::vector<uint8_t> after = m_emulator->Firmware().Memory().settings;
    EXPECT_EQ(after[20], 1);
    for (std::size_t byte : {19u, 21u, 22u}) {
        EXPECT_EQ(after[byte], before[byte]) << byte;
    }
    EXPECT_EQ(SystemSettings::FromWords(Stored().GetSystemStages()).key6Flag, 1);
    EXPECT_TRUE(m_session.Requests().empty());
}

// Every packet of a switch failing in turn, the keyboard refusing it or falling silent: the
// document on disk is what it was, and the page still shows what it holds.
TEST_F(KeyboardInWindow, FaultAtAnyPacketOfASwitchLeavesTheStoredProfileUnchanged) {
    Start();
    m_page->SetStreamEnabled(false);
    const std::string document = ReadWhole(m_page->Profile().GetProfilePath());
    const LightSetting light = m_page->GetLightSetting();
    struct Case {
        FaultKind kind;
        uint32_t packet;
    };
    std::vector<Case> cases;
    for (uint32_t packet = 1; packet <= 12; ++packet) {
        cases.push_back({FaultKind::kStatusFF, packet});
    }
    cases.push_back({FaultKind::kNoReply, 2});
    cases.push_back({FaultKind::kWrongEcho, 6});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.kind) << " at " << c.packet);
        m_emulator->Firmware().ClearFaults();
        m_emulator->ScheduleFault(c.kind, c.packet);
        ASSERT_TRUE(m_page->ApplySelectedProfile());
        WaitQuiet();
        EXPECT_EQ(ReadWhole(m_page->Profile().GetProfilePath()), document);
        EXPECT_EQ(m_page->GetLightSetting(), light);
    }
}

TEST_F(KeyboardInWindow, WindowDestructionLeavesTheHandBackRecordInTheKeyboard) {
    Start();
    const LightSetting stored = Stored().GetLightInfo();
    ASSERT_NE(stored.red + stored.green + stored.blue, 0);
    m_received->Clear();
    m_window->Exit();
    ASSERT_TRUE(test::WaitFor([&] { return !m_window->isVisible(); }, kWaitMs));

    const std::vector<int> commands = m_received->Commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front(), kCmdShutdownNotice);
    std::array<uint8_t, kKeyboardSettingsRecordSize> expected{};
    expected[1] = 1;
    expected[2] = stored.brightness;
    expected[3] = 4;
    expected[5] = stored.multiColor;
    expected[6] = stored.red;
    expected[7] = stored.green;
    expected[8] = stored.blue;
    const std::vector<uint8_t> memory = m_emulator->Firmware().Memory().settings;
    ASSERT_GE(memory.size(), 2 * kKeyboardSettingsRecordSize);
    for (std::size_t at : {std::size_t{0}, kKeyboardSettingsRecordSize}) {
        SCOPED_TRACE(at);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), memory.begin() + at));
    }
}

}  // namespace
}  // namespace quaro
