// The macro editor's routes in the main window over an emulated keyboard: deleting a macro that
// keys play asks first, restores those keys, moves the keys of later macros one place up and
// writes macros and keys to the keyboard; recording runs through the hook switch and the hook's
// deliveries; the action menu inserts and saves.

#include "VirtualDisplay.h"
#include "WindowFixtures.h"
#include "device/CommandPacket.h"
#include "pages/CKestrovaKeyboardDevice.h"
#include "panels/macro/CMacroControlUI.h"
#include "platform/X11InputCapture.h"
#include "profiles/MacroLibrary.h"
#include "shell/CMainWnd.h"
#include "sim/DeviceEmulator.h"
#include "sim/EmulatorModels.h"
#include "support/QtTestApp.h"
#include "ui/MessageTexts.h"

#include <QTest>
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <algorithm>
#include <functional>
#include <linux/input-event-codes.h>
#include <memory>
#include <string>
#include <vector>

namespace quaro {
namespace {

constexpr int kWaitMs = test::kDeviceWaitMs;
constexpr KeyCode kMacroOnce(int macro) {
    return {key_type::kMacro, static_cast<std::uint8_t>(macro), 0};
}

class MacroRoutesInWindow : public test::DeviceInWindow<CKestrovaKeyboardDevice> {
protected:
    // Without a capture the hook switch is recorded instead of installed.
    void Start(std::function<std::unique_ptr<InputCapture>()> makeCapture = {}) {
        ASSERT_NO_FATAL_FAILURE(OpenWindow(
            [&](CMainWnd::Services& services) { services.makeInputCapture = makeCapture; }));
        m_window->MacroRouting().SetMessageBoxes(
            [this](const char* id) {
                m_asked.emplace_back(id);
                return m_answer;
            },
            [this](const char* id) { m_told.emplace_back(id); });
        if (!makeCapture) {
            m_window->MacroRouting().SetHookSwitch(
                [this](int mode) {
                    m_hookModes.push_back(mode);
                    return true;
                },
                [this] { m_hookModes.push_back(0); });
        }

        ASSERT_NO_FATAL_FAILURE(PlugDevice(KeyboardModel(), kKindKeyboard));
        ASSERT_TRUE(test::WaitFor([&] { return m_window->CurrentPage() == m_page; }, kWaitMs));
        m_panel = m_page->GetMacroPanel();
        ASSERT_NE(m_panel, nullptr);
        ASSERT_EQ(m_panel->Folder(), m_page->UserDataFolder());
        ASSERT_TRUE(test::WaitFor([&] { return m_received->Commands().size() >= 13; }, kWaitMs));
        QTest::qWait(500);
    }

    void Click(const char* name) {
        TNotifyUI msg;
        msg.sType = notify::kClick;
        msg.pSender = Control(name);
        ASSERT_NE(msg.pSender, nullptr) << name;
        m_window->Notify(msg);
    }
    void SelectMacro(int index) {
        auto* list = dynamic_cast<CListUI*>(Control("macro_name_list"));
        ASSERT_NE(list, nullptr);
        list->SelectItem(index, false, false);
        m_panel->LoadSelectedMacro();
    }
    // Keys 3, 4 and 5 play macros 0, 1 and 2; key 6 plays macro 1 too.
    std::vector<KeyAssignmentEntry> AssignMacros() {
        CKeyboardProfiledata profile = m_page->Profile();
        std::vector<KeyAssignmentEntry> keys = profile.GetKeyList();
        EXPECT_GE(keys.size(), 7u);
        keys[3].code = kMacroOnce(0);
        keys[4].code = kMacroOnce(1);
        keys[5].code = kMacroOnce(2);
        keys[6].code = kMacroOnce(1);
        profile.SetKeyList(keys);
        EXPECT_EQ(profile.Save(), 0);
        m_page->LoadProfile();
        return keys;
    }
    std::vector<KeyAssignmentEntry> StoredKeys() const {
        CKeyboardProfiledata stored;
        stored.SetPageStyle(m_page->GetPageStyle());
        stored.SetDefaultProfilePath(m_page->Profile().GetDefaultProfilePath());
        stored.SetProfilePath(m_page->Profile().GetProfilePath());
        stored.Load(m_page->Profile().GetProfilePath());
        return stored.GetKeyList();
    }
    bool Got(int command) {
        const std::vector<int> commands = m_received->Commands();
        return std::find(commands.begin(), commands.end(), command) != commands.end();
    }

    CMacroControlUI* m_panel = nullptr;
    std::vector<std::string> m_asked;
    std::vector<std::string> m_told;
    std::vector<int> m_hookModes;
    bool m_answer = true;
};

TEST_F(MacroRoutesInWindow, DeletingAPlayedMacroRestoresItsKeysAndRenumbersTheLaterOnes) {
    Start();
    for (int i = 0; i < 3; ++i) {
        Click("macro_btn_name_add");
    }
    ASSERT_EQ(MacroLibrary(m_page->UserDataFolder()).Count(), 3);
    const std::vector<KeyAssignmentEntry> before = AssignMacros();

    // Refused at the second question: nothing changes, nothing is written.
    SelectMacro(1);
    m_answer = false;
    m_asked.clear();
    m_received->Clear();
    Click("macro_btn_name_sub");
    EXPECT_EQ(m_asked, (std::vector<std::string>{msgtext::kConfirmMacroDelete}));
    EXPECT_EQ(MacroLibrary(m_page->UserDataFolder()).Count(), 3);

    m_answer = true;
    m_asked.clear();
    Click("macro_btn_name_sub");
    EXPECT_EQ(m_asked,
              (std::vector<std::string>{msgtext::kConfirmMacroDelete, msgtext::kMacroInUse}));
    EXPECT_EQ(MacroLibrary(m_page->UserDataFolder()).Names(),
              (std::vector<std::string>{"macro_1", "macro_3"}));

    const std::vector<KeyAssignmentEntry> after = StoredKeys();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[3].code, kMacroOnce(0));
    EXPECT_EQ(after[4].code, before[4].defaultCode);
    EXPECT_EQ(after[6].code, before[6].defaultCode);
    EXPECT_EQ(after[5].code, kMacroOnce(1));
    // Macros and the key image reach the keyboard.
    ASSERT_TRUE(
        test::WaitFor([&] { return Got(kCmdWriteMacroImage) && Got(kCmdWriteKeyImage); }, kWaitMs));
}

TEST_F(MacroRoutesInWindow, RecordingRunsThroughTheHookAndItsDeliveries) {
    Start();
    Click("macro_btn_name_add");
    Click("macro_btn_starredio");
    EXPECT_EQ(m_hookModes, (std::vector<int>{4}));
    EXPECT_TRUE(Control("macro_btn_stopredio")->IsVisible());

    KeyRecord a;
    a.scanCode = 0x1E;
    for (std::uintptr_t message : {256u, 256u, 257u}) {
        EXPECT_TRUE(m_window->MacroRouting().OnHookDelivery(
            {HookMessageNumber(hookmsg::kKeyboardMacro), message, a}));
    }
    MouseRecord right;
    right.button = MouseButton::kRight;
    right.kind = MouseRecord::Kind::kButtonDown;
    EXPECT_TRUE(m_window->MacroRouting().OnHookDelivery(
        {HookMessageNumber(hookmsg::kMouseMacro), 0x204, right}));
    // Key capture's own message is not the editor's.
    EXPECT_FALSE(m_window->MacroRouting().OnHookDelivery(
        {HookMessageNumber(hookmsg::kKeySingleKey), 256, a}));

    Click("macro_btn_stopredio");
    EXPECT_EQ(m_hookModes, (std::vector<int>{4, 0}));
    EXPECT_TRUE(Control("macro_btn_starredio")->IsVisible());
    const std::vector<MacroEvent> saved = MacroLibrary(m_page->UserDataFolder()).Load(0);
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved[0].type, 10);
    EXPECT_EQ(saved[0].button, 4);
    EXPECT_TRUE(saved[0].down);
    EXPECT_FALSE(saved[1].down);
    EXPECT_EQ(saved[2].type, 1);
    EXPECT_EQ(saved[2].button, 2);

    // The menu: a click after the selected (last) row, saved; re-recording a row uses mode 32.
    EXPECT_TRUE(m_window->MacroRouting().OnMenuCommand(QStringLiteral("back_click")));
    const std::vector<MacroEvent> clicked = MacroLibrary(m_page->UserDataFolder()).Load(0);
    ASSERT_EQ(clicked.size(), 5u);
    EXPECT_EQ(clicked[3].button, 8);
    EXPECT_TRUE(clicked[3].down);
    EXPECT_FALSE(clicked[4].down);
    EXPECT_TRUE(m_window->MacroRouting().OnMenuCommand(QStringLiteral("macro_action_edit")));
    EXPECT_EQ(m_hookModes.back(), 32);
    EXPECT_FALSE(m_window->MacroRouting().OnMenuCommand(QStringLiteral("show_more")));
}

// The whole path of a recording: keys typed on the X session reach the editor through the
// session-wide capture, are listed with the gaps between them and are kept in the macro's file.
TEST_F(MacroRoutesInWindow, KeysTypedOnTheSessionAreRecordedWithTheirGaps) {
    test::VirtualDisplay display;
    if (display.Name().empty()) {
        GTEST_SKIP() << "no Xvfb";
    }
    Start([name = display.Name()] { return std::make_unique<X11InputCapture>(name); });
    Display* typist = XOpenDisplay(display.Name().c_str());
    ASSERT_NE(typist, nullptr);
    const auto type = [&](unsigned linuxKey, bool down) {
        XTestFakeKeyEvent(typist, linuxKey + kXKeycodeOffset, down ? True : False, CurrentTime);
        XSync(typist, False);
    };
    auto* rows = dynamic_cast<CListUI*>(Control("macro_action_list"));
    ASSERT_NE(rows, nullptr);

    Click("macro_btn_name_add");
    Click("macro_btn_starredio");
    ASSERT_TRUE(m_window->Hook().IsInstalled());
    type(KEY_A, true);
    ASSERT_TRUE(test::WaitFor([&] { return rows->GetCount() == 1; }, kWaitMs));
    QTest::qWait(150);
    type(KEY_A, false);
    ASSERT_TRUE(test::WaitFor([&] { return rows->GetCount() == 2; }, kWaitMs));
    QTest::qWait(300);
    type(KEY_B, true);
    type(KEY_B, false);
    ASSERT_TRUE(test::WaitFor([&] { return rows->GetCount() == 4; }, kWaitMs));
    Click("macro_btn_stopredio");
    EXPECT_FALSE(m_window->Hook().IsInstalled());
    XCloseDisplay(typist);

    const MacroLibrary library(m_page->UserDataFolder());
    EXPECT_EQ(library.Names(), (std::vector<std::string>{"macro_1"}));
    const std::vector<MacroEvent> saved = library.Load(0);
    ASSERT_EQ(saved.size(), 4u);
    EXPECT_EQ(saved[0].button, 4);  // A
    EXPECT_EQ(saved[2].button, 5);  // B
    for (const MacroEvent& event : saved) {
        EXPECT_EQ(event.type, 10);
    }
    EXPECT_TRUE(saved[0].down);
    EXPECT_FALSE(saved[1].down);
    // Each row keeps the wait before the next one; the last waits for nothing.
    EXPECT_GE(saved[0].delay, 140);
    EXPECT_GE(saved[1].delay, 290);
    EXPECT_EQ(saved[3].delay, 0);
}

TEST_F(MacroRoutesInWindow, RenameRefusalsAreTold) {
    Start();
    Click("macro_btn_name_add");
    Click("macro_btn_name_edit");
    dynamic_cast<CEditUI*>(Control("macro_edit_macroname"))->SetText(QStringLiteral("Macro_1"));
    Click("macro_btn_name_edit");
    EXPECT_EQ(m_told, (std::vector<std::string>{msgtext::kNameRefused, msgtext::kNameRefused}));
    dynamic_cast<CEditUI*>(Control("macro_edit_macroname"))->SetText(QStringLiteral("Combo"));
    Click("macro_btn_name_edit");
    EXPECT_EQ(m_told.size(), 2u);
    EXPECT_EQ(MacroLibrary(m_page->UserDataFolder()).Names(), (std::vector<std::string>{"Combo"}));
}

}  // namespace
}  // namespace quaro
