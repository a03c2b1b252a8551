// The main window with discovery on a simulated bus: a device's page is built when the device
// first arrives (with its profile, language and place in the tab strip), devices arriving and
// leaving show and hide their tabs under the selection rules, a device pulled in the middle of
// its traffic takes its tab with it, and the window can always exit while discovery waits for
// it.

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
#include "platform/Paths.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/ProfileListStore.h"
#include "shell/CMainWnd.h"
#include "shell/UpdateLink.h"
#include "sim/DeviceEmulator.h"
#include "sim/DeviceFirmware.h"
#include "sim/EmulatorModels.h"
#include "support/QtTestApp.h"
#include "ui/MainMessages.h"
#include "ui/RegisteredMessages.h"
#include "ui/toolkit/CButtonUI.h"
#include "ui/toolkit/CContainerUI.h"
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
#include <string_view>
#include <thread>

namespace quaro {
namespace {

using namespace std::chrono_literals;

constexpr int kWaitMs = 8000;

// Whether some trace line holds the text.
bool Mentions(const test::TraceCapture& trace, std::string_view text) {
    const std::vector<std::string> lines = trace.Lines();
    return std::any_of(lines.begin(), lines.end(), [text](const std::string& line) {
        return line.find(text) != std::string::npos;
    });
}

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

// Stores the profile at chosen with its light effect changed, its defaults taken from defaults.
void SaveLightEffect(const std::filesystem::path& defaults, const std::filesystem::path& chosen,
                     int effect) {
    CBasicProfiledata profile;
    profile.SetDefaultProfilePath(defaults);
    profile.SetProfilePath(chosen);
    profile.Load(chosen);
    LightSetting light = profile.GetLightInfo();
    light.effect = effect;
    const LightWords words = LightSettingToWords(light);
    profile.SetLightInfo(words.first, words.second, words.third);
    ASSERT_EQ(profile.Save(), 0);
}

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

    // The page of kind once built, else null.
    CKestrovaUSBDevice* Page(int kind) const { return m_window->Devices().FirstPageOfKind(kind); }
    // The page of kind, built now if it is not yet.
    CKestrovaUSBDevice* Build(int kind) const { return m_window->Devices().EnsurePage(kind); }
    CDeviceOptionUI* Tab(int kind) const {
        return Page(kind) != nullptr ? Page(kind)->GetDeviceTab() : nullptr;
    }
    bool Shown(int kind) const { return Tab(kind) != nullptr && Tab(kind)->IsShown(); }
    bool Selected(int kind) const { return Shown(kind) && Tab(kind)->IsDeviceSelected(); }
    CControlUI* Control(const char* name) const {
        return m_window->FindControl(QLatin1String(name));
    }
    bool NoDeviceShown() const { return Control("No_device_Link")->IsVisible(); }
    bool WaitShown(int kind, bool shown) {
        return test::WaitFor([&] { return Shown(kind) == shown; }, kWaitMs);
    }
    // The light sync on a steady colour at brightness 5, with page taking part.
    void SyncSteady(CKestrovaUSBDevice* page, uint8_t red, uint8_t green, uint8_t blue) {
        LightSetting setting;
        setting.brightness = 5;
        setting.red = red;
        setting.green = green;
        setting.blue = blue;
        m_window->LightSync().Configure(SyncEffect::kSteady, setting);
        page->SetLightSync(true);
    }

    std::vector<std::unique_ptr<DeviceEmulator>> m_emulators;
};

// No page waits for a device that has not come; the first arrival builds its own page only, and
// a page asked for (a screenshot scene, say) is built hidden, once, with its tab and power widget.
TEST_F(DevicesInWindow, PagesAreBuiltWhenFirstNeededAndOnlyOnce) {
    Make();
    for (int kind : {kKindMouse, kKindKeyboard, kKindMousePad, kKindHeadset}) {
        EXPECT_EQ(Page(kind), nullptr) << kind;
    }
    EXPECT_TRUE(m_window->Devices().PowerWidgets().empty());
    EXPECT_EQ(m_window->CurrentPage(), nullptr);
    // After the first scan the window comes up from the tray, telling that nothing is there.
    ASSERT_TRUE(test::WaitFor([&] { return m_window->isVisible(); }, kWaitMs));
    EXPECT_TRUE(NoDeviceShown());

    Plug(MousePadModel());
    ASSERT_TRUE(WaitShown(kKindMousePad, true));
    EXPECT_TRUE(Page(kKindMousePad)->IsPrimaryConnected());
    EXPECT_TRUE(Selected(kKindMousePad));
    EXPECT_EQ(Page(kKindKeyboard), nullptr);
    EXPECT_EQ(Page(kKindHeadset), nullptr);
    EXPECT_EQ(Page(kKindMouse), nullptr);
    ASSERT_EQ(m_window->Devices().PowerWidgets().size(), 1u);
    EXPECT_EQ(Page(kKindMousePad)->GetPowerWidget(), m_window->Devices().PowerWidgets()[0]);

    for (int kind : {kKindMouse, kKindKeyboard, kKindHeadset}) {
        SCOPED_TRACE(kind);
        CKestrovaUSBDevice* page = Build(kind);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(Build(kind), page);
        ASSERT_NE(page->GetDeviceTab(), nullptr);
        EXPECT_FALSE(page->GetDeviceTab()->IsShown());
        EXPECT_NE(page->GetPowerWidget(), nullptr);
        EXPECT_FALSE(page->IsPrimaryConnected());
    }
    EXPECT_EQ(Build(kKindMouseSlowLink), Page(kKindMouse));
    EXPECT_EQ(Build(5), nullptr);  // no device type has kind 5
    EXPECT_EQ(m_window->Devices().PowerWidgets().size(), kDeviceTypes.size());
    EXPECT_EQ(m_window->Devices().AllPages().size(), kDeviceTypes.size());
    // Building hidden pages changed neither the selection nor the overlay.
    EXPECT_EQ(m_window->CurrentPage(), Page(kKindMousePad));
    EXPECT_FALSE(NoDeviceShown());
}

// A page built when its device first arrives is the page that would have waited for it: it loads
// the profile the user chose, shows the language chosen before it existed, and its tab takes
// its device type's place in the strip, whatever order the devices came in.
TEST_F(DevicesInWindow, PageBuiltOnArrivalTakesTheStoredProfileTheLanguageAndItsPlace) {
    Make();
    m_window->ApplyLanguage(2);  // "tw"

    ProfileListStore store;
    store.SetDeviceKind(kKindMousePad);
    const std::filesystem::path folder = m_dir / "data" / "MV5521LUX gaming keyboard" / "MousePad";
    std::filesystem::create_directories(folder);
    store.SetFolder(folder);
    const std::filesystem::path defaults =
        DefaultDataFolder(ExecutableDirectory()) / "MousePad.Json";
    store.SetDefaultProfilePath(defaults);
    store.InitProfileList();
    ASSERT_TRUE(store.AddProfile());
    ASSERT_TRUE(store.SelectProfile(static_cast<int>(store.Names().size()) - 1));
    const std::filesystem::path chosen = store.ProfilePath(store.GetCurrentProfileId());
    ASSERT_NO_FATAL_FAILURE(SaveLightEffect(defaults, chosen, 6));

    Plug(MousePadModel());
    ASSERT_TRUE(WaitShown(kKindMousePad, true));
    auto* pad = dynamic_cast<CKestrovaMousePadDevice*>(Page(kKindMousePad));
    ASSERT_NE(pad, nullptr);
    ASSERT_TRUE(test::WaitFor([&] { return pad->GetLightPanel()->GetEffect() >= 0; }, kWaitMs));
    EXPECT_EQ(pad->Profile().GetProfilePath(), chosen);
    EXPECT_EQ(pad->GetLightSetting().effect, 6);
    EXPECT_EQ(pad->GetLightPanel()->GetEffect(), 6);
    const QWidget* addButton =
        pad->GetWidget()->findChild<QWidget*>(QStringLiteral("device_add_btn"));
    ASSERT_NE(addButton, nullptr);
    EXPECT_EQ(addButton->toolTip(), QStringLiteral("新增設定檔"));

    // The keyboard comes second but its tab goes first, as its type's row does.
    Plug(KeyboardModel());
    ASSERT_TRUE(WaitShown(kKindKeyboard, true));
    auto* strip = m_window->FindControlAs<CContainerUI>(QStringLiteral("device_select_layout"));
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->GetItemIndex(Tab(kKindKeyboard)), 0);
    EXPECT_EQ(strip->GetItemIndex(Tab(kKindMousePad)), 1);
    EXPECT_TRUE(Selected(kKindMousePad));
    EXPECT_TRUE(Page(kKindMousePad)->IsMultiDevice());
    EXPECT_TRUE(Page(kKindKeyboard)->IsMultiDevice());
    // The update check reads one version per device type row, in row order.
    const std::vector<uint32_t> versions = DeviceTabVersions(*m_window);
    ASSERT_EQ(versions.size(), kDeviceTypes.size());
    EXPECT_EQ(versions[0], 0u);  // no mouse
    EXPECT_NE(versions[1], 0u);
    EXPECT_NE(versions[2], 0u);
    EXPECT_EQ(versions[3], 0u);  // no headset
}

// Removal and arrival before and after the page exists: a removal never builds a page, the
// secondary interface arriving first builds the device's page without showing it, and a device
// that comes back finds the page it had.
TEST_F(DevicesInWindow, ArrivalRemovalAndReturnBeforeAndAfterThePageExists) {
    Make();
    test::TraceCapture trace;
    const auto slotOf = [](int kind, int role) {
        for (const DeviceInterfaceEntry& entry : kInterfaceCatalogue) {
            if (entry.kind == kind && entry.role == role) {
                return entry;
            }
        }
        ADD_FAILURE() << "no catalogue row of kind " << kind << " role " << role;
        return DeviceInterfaceEntry{};
    };
    m_window->Devices().Removal(slotOf(kKindMousePad, kRolePrimary));
    m_window->Devices().Removal(slotOf(kKindKeyboard, kRoleSecondary));
    EXPECT_EQ(Page(kKindMousePad), nullptr);
    EXPECT_EQ(Page(kKindKeyboard), nullptr);
    EXPECT_TRUE(trace.Contains("删除一个鼠标垫设备"));

    DeviceInterfaceEntry secondary = slotOf(kKindKeyboard, kRoleSecondary);
    secondary.devicePath = (m_bus.Path() / "missing").string();
    secondary.connected = 1;
    m_window->Devices().Arrival(secondary);
    ASSERT_NE(Page(kKindKeyboard), nullptr);
    EXPECT_FALSE(Shown(kKindKeyboard));
    EXPECT_FALSE(Page(kKindKeyboard)->IsPrimaryConnected());
    EXPECT_TRUE(Mentions(trace, "not attached"));
    CKestrovaUSBDevice* keyboard = Page(kKindKeyboard);
    // The real keyboard then arrives on the page built for it.
    DeviceEmulator& keyboardDevice = Plug(KeyboardModel());
    ASSERT_TRUE(WaitShown(kKindKeyboard, true));
    EXPECT_EQ(Page(kKindKeyboard), keyboard);
    EXPECT_TRUE(keyboard->IsPrimaryConnected());
    EXPECT_TRUE(test::WaitFor([&] { return keyboard->Driver()->IsSecondaryAttached(); }, kWaitMs));

    DeviceEmulator& padDevice = Plug(MousePadModel());
    ASSERT_TRUE(WaitShown(kKindMousePad, true));
    CKestrovaUSBDevice* pad = Page(kKindMousePad);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        padDevice.Unplug();
        ASSERT_TRUE(WaitShown(kKindMousePad, false));
        EXPECT_FALSE(pad->IsPrimaryConnected());
        EXPECT_TRUE(Selected(kKindKeyboard));
        ASSERT_TRUE(padDevice.Plug());
        ASSERT_TRUE(WaitShown(kKindMousePad, true));
        EXPECT_EQ(Page(kKindMousePad), pad);
        EXPECT_TRUE(pad->IsPrimaryConnected());
    }
    keyboardDevice.Unplug();
    ASSERT_TRUE(WaitShown(kKindKeyboard, false));
    EXPECT_TRUE(Selected(kKindMousePad));
    EXPECT_EQ(m_window->Devices().PowerWidgets().size(), 2u);
    EXPECT_EQ(
        m_window->FindControlAs<CContainerUI>(QStringLiteral("device_select_layout"))->GetCount(),
        2);
}

// What addresses a kind whose page is not built is refused or ignored, and builds nothing: a
// profile apply request from the command line, a route's notification, a language change.
TEST_F(DevicesInWindow, RequestsForPagesNotBuiltAreRefusedCleanly) {
    Make();
    test::TraceCapture trace;
    const unsigned apply = FindWindowMessage(registered::kApplyProfile);
    ASSERT_NE(apply, 0u);
    m_window->GetHWND()->Post(apply, kKindHeadset, 0);
    ASSERT_TRUE(test::WaitFor(
        [&] { return Mentions(trace, "no device of kind 7 present, nothing applied"); }, kWaitMs));
    CButtonUI loose;
    loose.SetName(QStringLiteral("deng_same_mode"));
    TNotifyUI msg;
    msg.sType = notify::kClick;
    msg.pSender = &loose;
    m_window->Notify(msg);
    m_window->SendMessage(mainmsg::kApplyLanguage, 1, 0);
    for (int kind : {kKindMouse, kKindKeyboard, kKindMousePad, kKindHeadset}) {
        EXPECT_EQ(Page(kind), nullptr) << kind;
    }
    EXPECT_EQ(m_window->GetLanguageIndex(), 1);
    EXPECT_FALSE(m_window->LightSync().AnySynchronised());
}

// The sync thread runs from the first arrival on; pages built after it started are coloured as
// the ones it found at its start.
TEST_F(DevicesInWindow, LightSyncReachesPagesBuiltWhileItRuns) {
    Make();
    Plug(MousePadModel());
    ASSERT_TRUE(WaitShown(kKindMousePad, true));
    CKestrovaUSBDevice* pad = Page(kKindMousePad);
    SyncSteady(pad, 0x40, 0x50, 0x60);
    const uint32_t steady = PackSyncColor(0x40, 0x50, 0x60, 255);
    ASSERT_TRUE(test::WaitFor([&] { return pad->GetLightColour(0) == steady; }, kWaitMs));
    CKestrovaUSBDevice* headset = Build(kKindHeadset);
    CKestrovaUSBDevice* keyboard = Build(kKindKeyboard);
    ASSERT_NE(headset, nullptr);
    ASSERT_NE(keyboard, nullptr);
    keyboard->SetLightSync(true);
    EXPECT_TRUE(test::WaitFor(
        [&] { return keyboard->GetLightColour(keyboard->GetLightCount() - 1) == steady; },
        kWaitMs));
    EXPECT_NE(headset->GetLightColour(0), steady);
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
    for (int kind : {kKindHeadset, kKindKeyboard, kKindMousePad}) {
        ASSERT_NE(Build(kind), nullptr);
    }
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
    CKestrovaUSBDevice* pad = Build(kKindMousePad);
    ASSERT_NE(Build(kKindKeyboard), nullptr);
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
    SyncSteady(pad, 0x10, 0x20, 0x30);
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
    SyncSteady(pad, 0x10, 0x20, 0x30);
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
    // The notice delivered after the exit changes nothing: not even the keyboard's page is built.
    QCoreApplication::processEvents();
    EXPECT_EQ(Page(kKindKeyboard), nullptr);
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
    ASSERT_NO_FATAL_FAILURE(SaveLightEffect(pad->Profile().GetDefaultProfilePath(), chosen, 6));

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
