// The keyboard's page in the main window against an emulated keyboard on a simulated bus: what
// reaches the keyboard when it arrives, when a profile is switched and when a system option
// changes; what reaches the session's settings; what is left in the keyboard when the window
// goes; and that a keyboard failing halfway through a switch leaves the stored profile alone.

#include "TraceCapture.h"
#include "WindowFixtures.h"
#include "device/CommandChannel.h"
#include "device/CommandPacket.h"
#include "pages/CKestrovaKeyboardDevice.h"
#include "panels/controls/CDeviceKeyButtonUI.h"
#include "panels/controls/CSelectPanelUI.h"
#include "panels/light/CLightControlUI.h"
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
#include "ui/toolkit/CSliderUI.h"

#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace quaro {
namespace {

constexpr int kWaitMs = test::kDeviceWaitMs;

class KeyboardInWindow : public test::DeviceInWindow<CKestrovaKeyboardDevice> {
protected:
    // The window with a keyboard plugged in, its page started and its start flow ended.
    void Start() {
        ASSERT_NO_FATAL_FAILURE(OpenWindow());
        ASSERT_NO_FATAL_FAILURE(PlugDevice(KeyboardModel(), kKindKeyboard));
        ASSERT_TRUE(test::WaitFor([&] { return m_received->Commands().size() >= 13; }, kWaitMs));
        WaitQuiet();
    }

    // The keyboard's entry of the stored profile as a fresh reader sees it.
    CKeyboardProfiledata Stored() const {
        CKeyboardProfiledata stored;
        stored.SetDefaultProfilePath(m_page->Profile().GetDefaultProfilePath());
        stored.SetProfilePath(m_page->Profile().GetProfilePath());
        stored.Load(m_page->Profile().GetProfilePath());
        return stored;
    }
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
    const std::string document = test::ReadFileBytes(m_page->Profile().GetProfilePath());

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
    EXPECT_EQ(test::ReadFileBytes(m_page->Profile().GetProfilePath()), document);
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
    const std::string document = test::ReadFileBytes(m_page->Profile().GetProfilePath());
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
        EXPECT_EQ(test::ReadFileBytes(m_page->Profile().GetProfilePath()), document);
        EXPECT_EQ(m_page->GetLightSetting(), light);
    }
    // A keyboard that is gone takes no switch, and the caller is told so.
    m_emulator->Unplug();
    ASSERT_TRUE(test::WaitFor([&] { return !m_page->IsPrimaryConnected(); }, kWaitMs));
    EXPECT_FALSE(m_page->ApplySelectedProfile());
    EXPECT_EQ(test::ReadFileBytes(m_page->Profile().GetProfilePath()), document);
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

// A keyboard that stops answering at the exit costs the exit about one reply time-out, never a
// hang; the window still goes.
TEST_F(KeyboardInWindow, SilentKeyboardAtExitDoesNotHoldTheExitBack) {
    Start();
    m_page->SetStreamEnabled(false);
    WaitQuiet();
    m_received->Clear();
    m_emulator->ScheduleFault(FaultKind::kNoReply, 1);
    const auto start = std::chrono::steady_clock::now();
    m_window->Exit();
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(3 * CommandChannel::kTimeoutMs));
    EXPECT_FALSE(m_window->isVisible());
    ASSERT_FALSE(m_received->Commands().empty());
    EXPECT_EQ(m_received->Commands().front(), kCmdShutdownNotice);
}

// The keyboard changed its own settings and says so: a read that fails leaves the profile as it
// was; a whole one takes the light and the three flags into the profile and the panels.
TEST_F(KeyboardInWindow, KeyboardsOwnChangeReachesTheProfileOnlyWhenReadWhole) {
    Start();
    m_page->SetStreamEnabled(false);
    WaitQuiet();
    ASSERT_TRUE(test::WaitFor([&] { return m_page->Driver()->IsSecondaryAttached(); }, kWaitMs));
    FirmwareMemory memory = m_emulator->Firmware().Memory();
    const std::size_t record = memory.settings[0] * kKeyboardSettingsRecordSize;
    ASSERT_GE(memory.settings.size(), record + kKeyboardSettingsRecordSize);
    memory.settings[record + 1] = 3;
    memory.settings[record + 19] = 1;
    memory.settings[record + 21] = 1;
    m_emulator->Firmware().SetMemory(memory);
    const std::string document = test::ReadFileBytes(m_page->Profile().GetProfilePath());
    const uint8_t effect = m_page->GetLightSetting().effect;
    ASSERT_NE(effect, 3);

    m_received->Clear();
    m_emulator->ScheduleFault(FaultKind::kStatusFF, 2);
    ASSERT_TRUE(m_emulator->SendSettingsChanged());
    ASSERT_TRUE(test::WaitFor([&] { return m_received->Commands().size() >= 2; }, kWaitMs));
    WaitQuiet();
    EXPECT_EQ(test::ReadFileBytes(m_page->Profile().GetProfilePath()), document);
    EXPECT_EQ(m_page->GetLightSetting().effect, effect);

    ASSERT_TRUE(m_emulator->SendSettingsChanged());
    ASSERT_TRUE(test::WaitFor([&] { return m_page->GetLightSetting().effect == 3; }, kWaitMs));
    CKeyboardProfiledata stored = Stored();
    EXPECT_EQ(stored.GetLightInfo().effect, 3);
    const SystemSettings system = SystemSettings::FromWords(stored.GetSystemStages());
    EXPECT_EQ(system.wFlag, 1);
    EXPECT_EQ(system.winFlag, 1);
    EXPECT_EQ(system.key6Flag, 0);
    EXPECT_TRUE(Control<COptionUI>("winlockflag_option")->IsSelected());
    EXPECT_EQ(m_page->GetLightPanel()->GetEffect(), 3);
}

// A static red light: every key of the picture shows it, and the frames the keyboard gets carry
// it at the keys' light positions.
TEST_F(KeyboardInWindow, LivePreviewAndFramesShowTheLightThePagePlays) {
    Start();
    LightSetting setting = m_page->GetLightSetting();
    setting.effect = 5;
    setting.brightness = 5;
    setting.multiColor = 0;
    setting.red = 255;
    setting.green = 0;
    setting.blue = 0;
    m_page->ApplyLightRecord(setting, 0, 0);
    const auto pictureRed = [&] {
        int lit = 0;
        for (int key = 0; key < CKestrovaUSBDevice::kMaxKeyCount; ++key) {
            const CDeviceKeyButtonUI* button = m_page->GetLightButton(key);
            if (button == nullptr || !button->IsVisible()) {
                continue;
            }
            if (button->GetLightColour() != 0xFF) {
                return false;
            }
            ++lit;
        }
        return lit > 100;
    };
    EXPECT_TRUE(test::WaitFor(pictureRed, kWaitMs));
    const auto frameRed = [&] {
        const std::vector<uint8_t> frame = m_emulator->Firmware().Memory().lightFrame;
        if (frame.size() < 3 * 126) {
            return false;
        }
        const KeyMaps maps = m_page->GetKeyboardDriver()->Maps();
        const std::size_t position = maps.light[0];
        return position * 3 + 2 < frame.size() && frame[position * 3] > 0 &&
               frame[position * 3 + 1] == 0 && frame[position * 3 + 2] == 0;
    };
    EXPECT_TRUE(test::WaitFor(frameRed, kWaitMs));
}

// Custom colours (mode 17): on the light page a click paints a key with the current colour or
// dark, a band selection paints every key it touched, the group choice is stored; on the key
// page clicks paint nothing and FN cannot be picked.
TEST_F(KeyboardInWindow, CustomColourModePaintsKeysIntoTheSelectedGroup) {
    Start();
    LightSetting setting = m_page->GetLightSetting();
    setting.effect = CKestrovaKeyboardDevice::kCustomColourMode;
    setting.multiColor = 0;
    setting.red = 0x11;
    setting.green = 0x22;
    setting.blue = 0x33;
    m_page->ApplyLightRecord(setting, 0, 0);
    m_page->SelectFunctionTab(1);
    EXPECT_TRUE(m_page->GetKeyButton(CKestrovaKeyboardDevice::kFnKey)->IsEnabled());

    m_page->GetLightPanel()->SelectCustomEffect(2);
    Notify(Control<CControlUI>("light_combo_custommodeSelect"), notify::kItemSelect);
    EXPECT_EQ(m_page->GetCustomGroup(), 2);
    EXPECT_EQ(Stored().GetCustomLightGroupIndex(), 2);

    const std::vector<CustomLightColor> group0 = Stored().GetCustomLightColors(0, 126);
    const std::vector<CustomLightColor> group2 = Stored().GetCustomLightColors(2, 126);
    const CustomLightColor painted{0x11, 0x22, 0x33, 255};
    ASSERT_NE(group2[5], painted);
    Notify(m_page->GetKeyButton(5), notify::kClick);
    EXPECT_EQ(Stored().GetCustomLightColors(2, 126)[5], painted);
    EXPECT_EQ(Stored().GetCustomLightColors(0, 126), group0);

    m_page->GetLightButton(30)->SetBandSelected(true);
    m_page->GetLightButton(31)->SetBandSelected(true);
    Notify(m_page->GetSelectPanel(), notify::kClickSelectEnd);
    EXPECT_EQ(Stored().GetCustomLightColors(2, 126)[30], painted);
    EXPECT_EQ(Stored().GetCustomLightColors(2, 126)[31], painted);

    Notify(Control<CControlUI>("custom_off_color_btn"), notify::kClick);
    Notify(m_page->GetKeyButton(5), notify::kClick);
    EXPECT_EQ(Stored().GetCustomLightColors(2, 126)[5], CustomLightColor{});
    EXPECT_EQ(m_page->CustomColours()[30], painted);

    Notify(Control<CControlUI>("custom_bright_color_btn"), notify::kClick);
    m_page->SelectFunctionTab(2);
    EXPECT_FALSE(m_page->GetKeyButton(CKestrovaKeyboardDevice::kFnKey)->IsEnabled());
    Notify(m_page->GetKeyButton(6), notify::kClick);
    EXPECT_EQ(Stored().GetCustomLightColors(2, 126)[6], group2[6]);
}

// "default_btn": nothing without the user's yes; with it the factory profile comes back and the
// keyboard gets its key image and settings record, and no macros.
TEST_F(KeyboardInWindow, DefaultsNeedConsentAndSendNoMacros) {
    Start();
    Control<CSliderUI>("repeat_rate_slider")->SetValue(3, false);
    Notify(Control<CSliderUI>("repeat_rate_slider"), notify::kValueChanged);
    ASSERT_EQ(SystemSettings::FromWords(Stored().GetSystemStages()).repeat, 3);
    WaitQuiet();

    bool answer = false;
    int asked = 0;
    m_window->KeyboardRouting().SetConfirmDefaults([&] {
        ++asked;
        return answer;
    });
    m_received->Clear();
    Notify(Control<CControlUI>("default_btn"), notify::kClick);
    QTest::qWait(300);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(m_received->Commands().empty());
    EXPECT_EQ(SystemSettings::FromWords(Stored().GetSystemStages()).repeat, 3);

    answer = true;
    Notify(Control<CControlUI>("default_btn"), notify::kClick);
    WaitQuiet();
    std::vector<int> written = m_received->Commands();
    written.erase(std::unique(written.begin(), written.end(),
                              [](int a, int b) { return a == b && a == kCmdWriteKeyImage; }),
                  written.end());
    const std::vector<int> expected = {
        kCmdReadDeviceInfo, kCmdBegin, kCmdWriteKeyImage, kCmdEnd, kCmdBegin,
        kCmdWriteMemory,    kCmdEnd};
    EXPECT_EQ(written, expected);
    EXPECT_EQ(SystemSettings::FromWords(Stored().GetSystemStages()).repeat, 31);
    EXPECT_EQ(Control<CSliderUI>("repeat_rate_slider")->GetValue(), 31);
}

}  // namespace
}  // namespace quaro
