// The main window with discovery on a simulated bus: devices arriving and leaving show and hide
// their tabs under the selection rules, a device pulled in the middle of its traffic takes its
// tab with it, and the window can always exit while discovery waits for it.

#include "TraceCapture.h"
#include "WindowFixtures.h"
#include "device/CatalogueTables.h"
#include "device/CommandPacket.h"
#include "device/SimHidBackend.h"
#include "devices/light/LightSync.h"
#include "devices/pad/PadSettingsRecord.h"
#include "pages/CKestrovaMousePadDevice.h"
#include "pages/CKestrovaUSBDevice.h"
#include "panels/devicetab/CDeviceOptionUI.h"
#include "panels/light/CLightControlUI.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/ProfileListStore.h"
#include "shell/CMainWnd.h"
#include "sim/DeviceEmulator.h"
#include "sim/DeviceFirmware.h"
#include "sim/EmulatorModels.h"
#include "support/QtTestApp.h"
#include "ui/RegisteredMessages.h"
#include "ui/toolkit/CButtonUI.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

namespace quaro {
namespace {

using namespace std::chrono_literals;

constexpr int kWaitMs = 8000;

std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The simulated bus as a user without the udev rule sees it: interfaces can be probed, but an
// open for writing is refused.
class ReadOnlyBackend : public HidBackend {
public:
    explicit ReadOnlyBackend(std::shared_ptr<HidBackend> inner) : m_inner(std::move(inner)) {}
    bool Enumerate(std::vector<std::string>& paths) override { return m_inner->Enumerate(paths); }
    bool Handles(const std::string& path) const override { return m_inner->Handles(path); }
    std::optional<HidOpenedInterface> Open(const std::string& path,
                                           const HidOpenMode& mode) override {
        if (mode.wantWrite) {
            errno = EACCES;
            return std::nullopt;
        }
        return m_inner->Open(path, mode);
    }
    std::string Identity(const std::string& path) override { return m_inner->Identity(path); }

private:
    std::shared_ptr<HidBackend> m_inner;
};

class DevicesInWindow : public test::WindowInTest {
protected:
    ~DevicesInWindow() override {
        m_window.reset();
        m_emulators.clear();
    }

    void Make(bool writable = true) {
        ASSERT_NO_FATAL_FAILURE(OpenWindow([&](CMainWnd::Services& services) {
            services.trayAvailable = true;
            if (!writable) {
                services.backend = std::make_shared<ReadOnlyBackend>(services.backend);
            }
        }));
    }

    DeviceEmulator& Plug(EmulatorModel model) {
        m_emulators.push_back(std::make_unique<DeviceEmulator>(std::move(model), m_bus.Path()));
        EXPECT_TRUE(m_emulators.back()->Plug());
        return *m_emulators.back();
    }

    CKestrovaUSBDevice* Page(int kind) const { return m_window->Devices().FirstPageOfKind(kind); }
    CDeviceOptionUI* Tab(int kind) const { return Page(kind)->GetDeviceTab(); }
    bool Shown(int kind) const { return Tab(kind)->IsShown(); }
    bool Selected(int kind) const { return Shown(kind) && Tab(kind)->IsDeviceSelected(); }
    CControlUI* Control(const char* name) const {
        return m_window->FindControl(QLatin1String(name));
    }
    bool NoDeviceShown() const { return Control("No_device_Link")->IsVisible(); }
    bool WaitShown(int kind, bool shown) {
        return test::WaitFor([&] { return Shown(kind) == shown; }, kWaitMs);
    }

    std::vector<std::unique_ptr<DeviceEmulator>> m_emulators;
};

TEST_F(DevicesInWindow, EveryDeviceTypeHasAHiddenPageTabAndPowerWidgetFromTheStart) {
    Make();
    for (int kind : {kKindMouse, kKindKeyboard, kKindMousePad, kKindHeadset}) {
        SCOPED_TRACE(kind);
        CKestrovaUSBDevice* page = Page(kind);
        ASSERT_NE(page, nullptr);
        ASSERT_NE(page->GetDeviceTab(), nullptr);
        EXPECT_FALSE(page->GetDeviceTab()->IsShown());
        EXPECT_NE(page->GetPowerWidget(), nullptr);
        EXPECT_FALSE(page->IsPrimaryConnected());
    }
    EXPECT_EQ(m_window->Devices().PowerWidgets().size(), kDeviceTypes.size());
    EXPECT_EQ(m_window->CurrentPage(), nullptr);
    // After the first scan the window comes up from the tray, telling that nothing is there.
    ASSERT_TRUE(test::WaitFor([&] { return m_window->isVisible(); }, kWaitMs));
    EXPECT_TRUE(NoDeviceShown());
}

TEST_F(DevicesInWindow, ArrivalsAndRemovalsFollowTheSelectionRules) {
    Make();
    test::TraceCapture trace;
    DeviceEmulator& keyboard = Plug(KeyboardModel());
    ASSERT_TRUE(WaitShown(kKindKeyboard, true));
    // Both of its interfaces belong to the one page; the only tab is selected.
    ASSERT_TRUE(test::WaitFor([&] { return Page(kKindKeyboard)->Driver()->IsSecondaryAttached(); },
                              kWaitMs));
    EXPECT_TRUE(Page(kKindKeyboard)->IsPrimaryConnected());
    EXPECT_TRUE(Selected(kKindKeyboard));
    EXPECT_EQ(m_window->CurrentPage(), Page(kKindKeyboard));
    EXPECT_FALSE(NoDeviceShown());
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(trace.Contains("添加一个键盘设备"));
    EXPECT_FALSE(Page(kKindKeyboard)->IsMultiDevice());

    // A second device shows its tab; the first stays selected; light sync becomes possible.
    DeviceEmulator& pad = Plug(MousePadModel());
    ASSERT_TRUE(WaitShown(kKindMousePad, true));
    EXPECT_TRUE(Selected(kKindKeyboard));
    EXPECT_FALSE(Tab(kKindMousePad)->IsDeviceSelected());
    EXPECT_TRUE(Page(kKindKeyboard)->IsMultiDevice());
    Page(kKindMousePad)->SetLightSync(true);

    // The selected device goes: the other one is selected, and with one device left light
    // sync ends.
    keyboard.Unplug();
    ASSERT_TRUE(WaitShown(kKindKeyboard, false));
    EXPECT_TRUE(trace.Contains("删除一个键盘设备"));
    EXPECT_FALSE(Page(kKindKeyboard)->IsPrimaryConnected());
    EXPECT_TRUE(test::WaitFor([&] { return !Page(kKindKeyboard)->Driver()->IsSecondaryAttached(); },
                              kWaitMs));
    EXPECT_TRUE(Selected(kKindMousePad));
    EXPECT_EQ(m_window->CurrentPage(), Page(kKindMousePad));
    EXPECT_FALSE(Page(kKindMousePad)->IsMultiDevice());
    EXPECT_FALSE(Page(kKindMousePad)->IsLightSync());

    // The same device plugged in again gets its page back.
    ASSERT_TRUE(keyboard.Plug());
    ASSERT_TRUE(WaitShown(kKindKeyboard, true));
    EXPECT_TRUE(Page(kKindKeyboard)->IsPrimaryConnected());
    EXPECT_TRUE(Selected(kKindMousePad));

    keyboard.Unplug();
    pad.Unplug();
    ASSERT_TRUE(WaitShown(kKindMousePad, false));
    ASSERT_TRUE(WaitShown(kKindKeyboard, false));
    EXPECT_TRUE(NoDeviceShown());
    EXPECT_EQ(m_window->CurrentPage(), nullptr);
    EXPECT_EQ(m_window->FindControlAs<CTabLayoutUI>(QStringLiteral("device_switch"))->GetCurSel(),
              0);
    EXPECT_EQ(
        m_window->FindControlAs<CTabLayoutUI>(QStringLiteral("device_power_switch"))->GetCurSel(),
        0);
}

// Tabs shown and hidden directly, as arrivals and removals do; each row is one step and the
// tab that must be selected afterwards (0: none shows).
TEST_F(DevicesInWindow, SelectionRulesTable) {
    Make();
    struct Step {
        int kind;
        bool show;
        int selectedAfter;      // 0: no tab shows
        int synchronisedAfter;  // shown tabs whose light-sync option is selected afterwards
    };
    const Step steps[] = {
        {kKindHeadset, true, kKindHeadset, 0},    // the first tab is selected
        {kKindKeyboard, true, kKindHeadset, 0},   // later ones are not
        {kKindMousePad, true, kKindHeadset, 3},   // (all three then join light sync)
        {kKindKeyboard, false, kKindHeadset, 2},  // an unselected tab goes: selection stays
        {kKindHeadset, false, kKindMousePad, 0},  // the selected one goes: the next is taken,
                                                  // and a single synchronised tab is no sync
        {kKindMousePad, false, 0, 0},
    };
    DevicePageSet& devices = m_window->Devices();
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "kind " << step.kind << " show " << step.show);
        if (step.show) {
            devices.ShowTab(Tab(step.kind), devices.ShownTabCount() == 0);
        } else {
            devices.HideTab(Tab(step.kind));
        }
        if (step.synchronisedAfter == 3) {
            for (int kind : {kKindHeadset, kKindKeyboard, kKindMousePad}) {
                Tab(kind)->SetSynchroSelected(true);
            }
        }
        if (step.selectedAfter == 0) {
            EXPECT_EQ(devices.CurrentPage(), nullptr);
            EXPECT_TRUE(NoDeviceShown());
        } else {
            EXPECT_EQ(devices.CurrentPage(), Page(step.selectedAfter));
            EXPECT_FALSE(NoDeviceShown());
        }
        int synchronised = 0;
        for (int kind : {kKindHeadset, kKindKeyboard, kKindMousePad}) {
            synchronised += Shown(kind) && Tab(kind)->IsSynchroSelected() ? 1 : 0;
        }
        EXPECT_EQ(synchronised, step.synchronisedAfter);
    }
}

// A device the user may not open for writing still shows its tab, so the user sees it is
// there, and the trace names the missing rule; its page stays disconnected.
TEST_F(DevicesInWindow, RefusedOpenShowsTheTabDisconnectedAndNamesTheUdevRule) {
    test::TraceCapture trace;
    Make(false);
    Plug(MousePadModel());
    ASSERT_TRUE(WaitShown(kKindMousePad, true));
    EXPECT_FALSE(Page(kKindMousePad)->IsPrimaryConnected());
    const std::vector<std::string> lines = trace.Lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("permission denied") != std::string::npos &&
               line.find("packaging/udev/70-quaro.rules") != std::string::npos;
    }));
}

// The pad pulled at the first, second, ... packet after it arrived: whatever its page was
// doing, the tab goes, and the pad comes back when plugged in again.
TEST_F(DevicesInWindow, DevicePulledAtAnyPacketTakesItsTabWithIt) {
    Make();
    DeviceEmulator& pad = Plug(MousePadModel());
    for (uint32_t packet = 1; packet <= 4; ++packet) {
        SCOPED_TRACE(packet);
        ASSERT_TRUE(WaitShown(kKindMousePad, true));
        pad.ScheduleFault(FaultKind::kUnplug, packet);
        ASSERT_TRUE(WaitShown(kKindMousePad, false));
        EXPECT_FALSE(Page(kKindMousePad)->IsPrimaryConnected());
        EXPECT_TRUE(NoDeviceShown());
        ASSERT_TRUE(pad.Plug());
    }
}

// The add button of the pad's bar, clicked while the pad's page is current, adds a profile to
// the pad's list and to no other; the same name in a hidden page's bar does nothing there.
TEST_F(DevicesInWindow, ProfileBarClicksReachTheCurrentPagesListOnly) {
    Make();
    CKestrovaUSBDevice* pad = Page(kKindMousePad);
    m_window->Devices().ShowTab(Tab(kKindMousePad), true);
    ASSERT_EQ(m_window->CurrentPage(), pad);
    const auto addButtonOf = [](CKestrovaUSBDevice* page) {
        return dynamic_cast<CButtonUI*>(
            AsControl(page->GetWidget()->findChild<QWidget*>(QStringLiteral("device_add_btn"))));
    };
    const auto listOf = [&](CKestrovaUSBDevice* page) {
        return ReadWhole(page->UserDataFolder() / "ProfileList.ini");
    };
    ASSERT_NE(addButtonOf(pad), nullptr);
    const std::string keyboardList = listOf(Page(kKindKeyboard));
    addButtonOf(Page(kKindKeyboard))->click();
    EXPECT_EQ(listOf(pad).find("profile2"), std::string::npos);
    addButtonOf(pad)->click();
    EXPECT_NE(listOf(pad).find("\"profile2\""), std::string::npos);
    EXPECT_EQ(listOf(Page(kKindKeyboard)), keyboardList);
}

// The sync thread colours every synchronised, connected page alike and leaves the others alone.
TEST_F(DevicesInWindow, LightSyncColoursOnlyTheSynchronisedPages) {
    Make();
    DeviceEmulator& keyboardDevice = Plug(KeyboardModel());
    DeviceEmulator& padDevice = Plug(MousePadModel());
    ASSERT_TRUE(WaitShown(kKindKeyboard, true));
    ASSERT_TRUE(WaitShown(kKindMousePad, true));
    CKestrovaUSBDevice* keyboard = Page(kKindKeyboard);
    CKestrovaUSBDevice* pad = Page(kKindMousePad);
    LightSetting setting;
    setting.brightness = 5;
    setting.red = 0x10;
    setting.green = 0x20;
    setting.blue = 0x30;
    m_window->LightSync().Configure(SyncEffect::kSteady, setting);
    pad->SetLightSync(true);
    const uint32_t steady = PackSyncColor(0x10, 0x20, 0x30, 255);
    ASSERT_TRUE(test::WaitFor(
        [&] {
            for (int light = 0; light < pad->GetLightCount(); ++light) {
                if (pad->GetLightColour(light) != steady) {
                    return false;
                }
            }
            return true;
        },
        kWaitMs));
    EXPECT_NE(keyboard->GetLightColour(0), steady);
    keyboard->SetLightSync(true);
    EXPECT_TRUE(test::WaitFor(
        [&] { return keyboard->GetLightColour(keyboard->GetLightCount() - 1) == steady; },
        kWaitMs));
    // And both devices show it: their last light frames start with the same colour.
    const auto firstLed = [](DeviceEmulator& device) {
        const std::vector<uint8_t> frame = device.Firmware().Memory().lightFrame;
        return frame.size() >= 3 ? std::vector<uint8_t>(frame.begin(), frame.begin() + 3)
                                 : std::vector<uint8_t>();
    };
    EXPECT_TRUE(test::WaitFor(
        [&] {
            const std::vector<uint8_t> padLed = firstLed(padDevice);
            return padLed.size() == 3 && padLed[2] > padLed[1] && padLed[1] > padLed[0] &&
                   padLed[0] > 0 && firstLed(keyboardDevice) == padLed;
        },
        kWaitMs))
        << testing::PrintToString(firstLed(padDevice)) << " "
        << testing::PrintToString(firstLed(keyboardDevice));
}

// The device itself may end the sync (its own settings changed): the runner wakes the page's
// light thread, which slept while the sync drove the colours, and the frames show its own again.
TEST_F(DevicesInWindow, WhenTheSyncLetsGoOfADeviceItsOwnEffectReachesTheDeviceAgain) {
    Make();
    DeviceEmulator& padDevice = Plug(MousePadModel());
    ASSERT_TRUE(WaitShown(kKindMousePad, true));
    CKestrovaUSBDevice* pad = Page(kKindMousePad);
    LightSetting setting;
    setting.brightness = 5;
    setting.red = 0x10;
    setting.green = 0x20;
    setting.blue = 0x30;
    m_window->LightSync().Configure(SyncEffect::kSteady, setting);
    pad->SetLightSync(true);
    const auto firstLed = [&] {
        const std::vector<uint8_t> frame = padDevice.Firmware().Memory().lightFrame;
        return frame.size() >= 3 ? std::vector<uint8_t>(frame.begin(), frame.begin() + 3)
                                 : std::vector<uint8_t>();
    };
    std::vector<uint8_t> synced;
    ASSERT_TRUE(test::WaitFor(
        [&] {
            synced = firstLed();
            return synced.size() == 3 && synced[2] > synced[1] && synced[1] > synced[0] &&
                   synced[0] > 0;
        },
        kWaitMs));

    pad->Driver()->Primary().SetLightSync(false);
    EXPECT_TRUE(
        test::WaitFor([&] { return firstLed().size() == 3 && firstLed() != synced; }, kWaitMs))
        << testing::PrintToString(firstLed());
}

// The lighting routes of the current page: "deng_same_mode" takes every connected device into
// the sync with its own matching mode; a light change on one device takes that one out again;
// the same control of a hidden page does nothing.
TEST_F(DevicesInWindow, LightRoutesChangeTheCurrentPageAndSameModeSynchronisesTheOthers) {
    Make();
    Plug(KeyboardModel());
    Plug(MousePadModel());
    ASSERT_TRUE(WaitShown(kKindKeyboard, true));
    ASSERT_TRUE(WaitShown(kKindMousePad, true));
    CKestrovaUSBDevice* keyboard = Page(kKindKeyboard);
    CKestrovaUSBDevice* pad = Page(kKindMousePad);
    m_window->Devices().ShowTab(Tab(kKindMousePad), true);
    ASSERT_EQ(m_window->CurrentPage(), pad);
    ASSERT_NE(pad->GetLightPanel(), nullptr);
    const auto notify = [&](CKestrovaUSBDevice* page, const char* name, const QString& type) {
        TNotifyUI msg;
        msg.sType = type;
        msg.pSender = AsControl(page->GetWidget()->findChild<QWidget*>(QLatin1String(name)));
        ASSERT_NE(msg.pSender, nullptr) << name;
        m_window->Notify(msg);
    };

    const std::vector<std::string> effects(9, "effect");
    for (CKestrovaUSBDevice* page : {keyboard, pad}) {
        page->GetLightPanel()->FillEffects(effects, std::vector<bool>(effects.size(), true), 5, 5);
    }
    pad->GetLightPanel()->SelectEffect(2);
    notify(pad, "light_combo_modeSelect", notify::kItemSelect);
    EXPECT_EQ(pad->GetLightSetting().effect, 2);
    notify(pad, "deng_same_mode", notify::kClick);
    EXPECT_TRUE(pad->IsLightSync());
    EXPECT_TRUE(keyboard->IsLightSync());
    EXPECT_EQ(keyboard->GetLightSetting().effect, 4);  // breathing, in the keyboard's numbers
    EXPECT_EQ(pad->GetLightSetting().effect, 2);

    // The keyboard's own panel is not the current page's: its brightness change does nothing.
    const uint8_t brightness = keyboard->GetLightSetting().brightness;
    keyboard->GetLightPanel()->SetBrightness(1);
    notify(keyboard, "deng_light_slider", notify::kValueChanged);
    EXPECT_EQ(keyboard->GetLightSetting().brightness, brightness);
    EXPECT_TRUE(keyboard->IsLightSync());

    // A colour typed in leaves the range, is shown as the value used, and takes the pad out of
    // the sync.
    pad->GetLightPanel()->SetRed(QStringLiteral("300"));
    notify(pad, "deng_edit_R", notify::kKillFocus);
    EXPECT_EQ(pad->GetLightSetting().red, 255);
    EXPECT_EQ(pad->GetLightPanel()->GetRed(), u"255");
    EXPECT_EQ(pad->GetLightSetting().multiColor, 0);
    EXPECT_FALSE(pad->IsLightSync());
    EXPECT_TRUE(keyboard->IsLightSync());
}

// The pad's page end to end: an effect chosen on its panel goes to the pad as its light record
// (Begin, the 21 bytes at 0 with the mode in byte 1, End) and into the pad's profile.
TEST_F(DevicesInWindow, EffectChosenOnThePadIsWrittenToThePadAndItsProfile) {
    Make();
    DeviceEmulator& emulator = Plug(MousePadModel());
    // Shared with the emulator's threads, which may still report after the test body ends.
    struct Capture {
        std::mutex mutex;
        std::vector<Packet> packets;
    };
    auto capture = std::make_shared<Capture>();
    emulator.SetPacketObserver(
        [capture](DeviceEmulator::Direction direction, uint16_t, std::span<const uint8_t> report) {
            if (direction == DeviceEmulator::Direction::kReceived && report.size() == kPacketSize &&
                report[kPacketCommand] != kCmdLightFrame) {
                std::lock_guard lock(capture->mutex);
                capture->packets.emplace_back();
                std::copy(report.begin(), report.end(), capture->packets.back().begin());
            }
        });
    const auto received = [capture] {
        std::lock_guard lock(capture->mutex);
        return capture->packets;
    };
    ASSERT_TRUE(WaitShown(kKindMousePad, true));
    auto* pad = dynamic_cast<CKestrovaMousePadDevice*>(Page(kKindMousePad));
    ASSERT_NE(pad, nullptr);
    // The page starts half a second after the arrival and fills its effect list then.
    ASSERT_TRUE(test::WaitFor([&] { return pad->GetLightPanel()->GetEffect() >= 0; }, kWaitMs));
    // Let the start's own exchanges finish before looking at what the choice sends.
    ASSERT_TRUE(test::WaitFor([&] { return !received().empty(); }, kWaitMs));
    QTest::qWait(300);
    const std::size_t before = received().size();
    pad->GetLightPanel()->SelectEffect(2);
    TNotifyUI msg;
    msg.sType = notify::kItemSelect;
    msg.pSender =
        AsControl(pad->GetWidget()->findChild<QWidget*>(QStringLiteral("light_combo_modeSelect")));
    m_window->Notify(msg);

    ASSERT_TRUE(test::WaitFor([&] { return received().size() >= before + 3; }, kWaitMs));
    const std::vector<Packet> all = received();
    const std::vector<Packet> sent(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[0][kPacketCommand], kCmdBegin);
    EXPECT_EQ(sent[1][kPacketCommand], kCmdWriteMemory);
    EXPECT_EQ(sent[1][kPacketLength], kPadSettingsKeptSize);
    EXPECT_EQ(sent[1][kPacketData + 1], 2);
    EXPECT_EQ(sent[2][kPacketCommand], kCmdEnd);
    CBasicProfiledata stored;
    stored.SetDefaultProfilePath(pad->Profile().GetDefaultProfilePath());
    stored.Load(pad->Profile().GetProfilePath());
    EXPECT_EQ(stored.GetLightInfo().effect, 2);
}

// The pad changed its own light (its button): it says so, the page reads the record again and
// the profile and the panel follow.
TEST_F(DevicesInWindow, PadsOwnSettingsChangeReachesThePageAndItsProfile) {
    Make();
    DeviceEmulator& emulator = Plug(MousePadModel());
    ASSERT_TRUE(WaitShown(kKindMousePad, true));
    auto* pad = dynamic_cast<CKestrovaMousePadDevice*>(Page(kKindMousePad));
    ASSERT_NE(pad, nullptr);
    ASSERT_TRUE(test::WaitFor([&] { return pad->GetLightPanel()->GetEffect() >= 0; }, kWaitMs));
    ASSERT_TRUE(test::WaitFor([&] { return pad->GetPadDriver()->IsSecondaryAttached(); }, kWaitMs));

    FirmwareMemory memory = emulator.Firmware().Memory();
    const std::size_t record = memory.settings[0] * kPadSettingsReadStride;
    ASSERT_GT(memory.settings.size(), record + 8);
    memory.settings[record + 1] = 7;
    memory.settings[record + 6] = 0x12;
    emulator.Firmware().SetMemory(memory);
    ASSERT_TRUE(emulator.SendSettingsChanged());

    ASSERT_TRUE(test::WaitFor([&] { return pad->GetLightSetting().effect == 7; }, kWaitMs));
    EXPECT_EQ(pad->GetLightSetting().red, 0x12);
    EXPECT_EQ(pad->GetLightPanel()->GetEffect(), 7);
    CBasicProfiledata stored;
    stored.SetDefaultProfilePath(pad->Profile().GetDefaultProfilePath());
    stored.Load(pad->Profile().GetProfilePath());
    EXPECT_EQ(stored.GetLightInfo().effect, 7);
}

TEST_F(DevicesInWindow, ExitWhileDiscoveryWaitsForTheWindowReturnsPromptly) {
    Make();
    // The UI thread does not look at its messages, so discovery's arrival notice waits.
    Plug(KeyboardModel());
    std::this_thread::sleep_for(300ms);
    const auto start = std::chrono::steady_clock::now();
    m_window->Exit();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    // The notice delivered after the exit changes nothing.
    QCoreApplication::processEvents();
    EXPECT_FALSE(Page(kKindKeyboard)->IsPrimaryConnected());
}

}  // namespace
}  // namespace quaro

namespace quaro {
namespace {

// The command line chose another profile of the pad and asked the running application to apply
// it: the page takes the list as stored now and writes that profile's light to the pad. A kind
// with no device present takes nothing.
TEST_F(DevicesInWindow, ProfileApplyRequestTakesTheStoredSelection) {
    Make();
    Plug(MousePadModel());
    ASSERT_TRUE(WaitShown(kKindMousePad, true));
    auto* pad = dynamic_cast<CKestrovaMousePadDevice*>(Page(kKindMousePad));
    ASSERT_NE(pad, nullptr);
    ASSERT_TRUE(test::WaitFor([&] { return pad->GetLightPanel()->GetEffect() >= 0; }, kWaitMs));

    ProfileListStore store;
    store.SetDeviceKind(kKindMousePad);
    store.SetFolder(m_dir / "data" / "MV5521LUX gaming keyboard" / "MousePad");
    store.SetDefaultProfilePath(pad->Profile().GetDefaultProfilePath());
    store.InitProfileList();
    ASSERT_TRUE(store.AddProfile());
    ASSERT_TRUE(store.SelectProfile(static_cast<int>(store.Names().size()) - 1));
    const std::filesystem::path chosen = store.ProfilePath(store.GetCurrentProfileId());
    CBasicProfiledata profile;
    profile.SetDefaultProfilePath(pad->Profile().GetDefaultProfilePath());
    profile.SetProfilePath(chosen);
    profile.Load(chosen);
    LightSetting light = profile.GetLightInfo();
    light.effect = 6;
    const LightWords words = LightSettingToWords(light);
    profile.SetLightInfo(words.first, words.second, words.third);
    ASSERT_EQ(profile.Save(), 0);

    const unsigned message = FindWindowMessage(registered::kApplyProfile);
    ASSERT_NE(message, 0u);
    m_window->GetHWND()->Post(message, kKindHeadset, 0);
    m_window->GetHWND()->Post(message, kKindMousePad, 0);
    ASSERT_TRUE(test::WaitFor(
        [&] {
            const FirmwareMemory memory = m_emulators.back()->Firmware().Memory();
            return memory.settings.size() > 1 && memory.settings[1] == 6;
        },
        kWaitMs));
    EXPECT_EQ(pad->Profile().GetProfilePath(), chosen);
    EXPECT_EQ(pad->GetLightSetting().effect, 6);
}

}  // namespace
}  // namespace quaro
