// Key assignment on the keyboard page in the main window, against an emulated keyboard on a
// simulated bus: a key picked on the picture, Ctrl+A captured through the hook into the caption
// edit, and the save that writes the key image the keyboard then holds.

#include "Quaroctl.h"
#include "ScriptedCapture.h"
#include "TraceCapture.h"
#include "WindowFixtures.h"
#include "device/CommandPacket.h"
#include "pages/CKestrovaKeyboardDevice.h"
#include "panels/keyset/CKeySetControlUI.h"
#include "platform/RecordingSystemSettings.h"
#include "shell/CMainWnd.h"
#include "sim/DeviceEmulator.h"
#include "sim/DeviceFirmware.h"
#include "sim/EmulatorModels.h"
#include "support/QtTestApp.h"
#include "ui/toolkit/CComboUI.h"
#include "ui/toolkit/CEditUI.h"
#include "ui/toolkit/COptionUI.h"

#include <QTest>
#include <gtest/gtest.h>
#include <json/reader.h>

#include <algorithm>
#include <sstream>

namespace quaro {
namespace {

constexpr int kWaitMs = test::kDeviceWaitMs;
constexpr int kKeyTab = 2;
constexpr KeyCode kCtrlA{0x20, 0x01, 0x04};

class KeyAssignment : public test::DeviceInWindow<CKestrovaKeyboardDevice> {
protected:
    void Start() {
        ASSERT_NO_FATAL_FAILURE(OpenWindow([this](CMainWnd::Services& services) {
            services.makeInputCapture = [this]() -> std::unique_ptr<InputCapture> {
                auto capture = std::make_unique<test::ScriptedCapture>();
                m_capture = capture.get();
                return capture;
            };
        }));
        ASSERT_NE(m_capture, nullptr);
        ASSERT_NO_FATAL_FAILURE(PlugDevice(KeyboardModel(), kKindKeyboard));
        ASSERT_TRUE(test::WaitFor([&] { return m_received->Commands().size() >= 13; }, kWaitMs));
        WaitQuiet();
        ASSERT_NE(m_page->GetKeySetPanel(), nullptr);
    }

    // The user picks key on the picture and the keyboard-key family in the panel.
    void PickKeyboardFamily(int key) {
        m_page->SelectFunctionTab(kKeyTab);
        Notify(m_page->GetKeyButton(key), notify::kClick);
        ASSERT_EQ(m_page->GetSelectedKey(), key);
        ASSERT_TRUE(Control<CControlUI>("keyset_layout")->IsVisible());
        auto* family = Control<CComboUI>("keyset_function_combo");
        ASSERT_NE(family, nullptr);
        int item = -1;
        for (int i = 0; i < family->GetCount(); ++i) {
            if (family->GetItemAt(i)->GetUserData().toInt() == keyset_tab::kKeyboard) {
                item = i;
            }
        }
        ASSERT_GE(item, 0);
        family->SelectItem(item, false, false);
        Notify(family, notify::kItemSelect);
    }

    KeyCode CodeOf(int key) const {
        for (const KeyAssignmentEntry& entry : m_page->KeyList()) {
            if (entry.keyIndex == key) {
                return entry.code;
            }
        }
        return {};
    }

    test::ScriptedCapture* m_capture = nullptr;
};

// The whole way of an assignment: Ctrl then A captured while the caption edit has the focus,
// stored for the picked key, shown on the picture, saved to the keyboard with its key image
// write, and read back from the keyboard by quaroctl at the slot the key had.
TEST_F(KeyAssignment, CtrlACapturedForAPickedKeyIsSavedIntoTheKeyboard) {
    Start();
    const int key = 2;
    ASSERT_EQ(m_page->KeyList().size(), 126u);
    const KeyAssignmentEntry picked =
        *std::find_if(m_page->KeyList().begin(), m_page->KeyList().end(),
                      [&](const KeyAssignmentEntry& entry) { return entry.keyIndex == key; });
    ASSERT_NE(picked.code, kCtrlA);
    const std::vector<uint8_t> imageBefore = m_emulator->Firmware().Memory().keyImage;
    PickKeyboardFamily(key);

    auto* caption = Control<CEditUI>("keyset_keyboard_text_edit");
    Notify(caption, notify::kSetFocus);
    ASSERT_TRUE(m_window->IsKeyCaptureOn());
    EXPECT_TRUE(m_capture->IsInstalled());
    EXPECT_TRUE(m_capture->withheld);
    EXPECT_EQ(m_window->Hook().Mode(), 1);

    m_capture->Key(0xA2, 0x1D, true);  // LCtrl
    m_capture->Key(0x41, 0x1E, true);  // A
    m_capture->Key(0x41, 0x1E, false);
    m_capture->Key(0xA2, 0x1D, false);
    ASSERT_TRUE(test::WaitFor([&] { return CodeOf(key) == kCtrlA; }, kWaitMs));
    EXPECT_EQ(m_page->GetKeySetPanel()->GetModifierOption(), keyset_modifier::kCtrl);
    EXPECT_EQ(caption->GetEditText(), u"A");
    // The picture names the key's new function.
    EXPECT_TRUE(m_page->GetKeyButton(key)->GetText().contains(u"A"));
    EXPECT_TRUE(Control<CControlUI>("key_butt_prosave")->IsEnabled());

    Notify(caption, notify::kKillFocus);
    EXPECT_FALSE(m_window->IsKeyCaptureOn());
    EXPECT_FALSE(m_capture->IsInstalled());

    m_received->Clear();
    Notify(Control<CControlUI>("key_butt_prosave"), notify::kClick);
    WaitQuiet();
    std::vector<int> written = m_received->Commands();
    written.erase(std::unique(written.begin(), written.end(),
                              [](int a, int b) {
                                  return a == b &&
                                         (a == kCmdWriteKeyImage || a == kCmdWriteMacroImage);
                              }),
                  written.end());
    const std::vector<int> keyImageWrite = {kCmdReadDeviceInfo, kCmdBegin, kCmdWriteKeyImage,
                                            kCmdEnd};
    ASSERT_GE(written.size(), keyImageWrite.size());
    EXPECT_TRUE(std::equal(keyImageWrite.begin(), keyImageWrite.end(),
                           written.end() - static_cast<std::ptrdiff_t>(keyImageWrite.size())))
        << written.size();
    EXPECT_FALSE(Control<CControlUI>("key_butt_prosave")->IsEnabled());

    // The profile keeps it.
    CKeyboardProfiledata stored;
    stored.SetDefaultProfilePath(m_page->Profile().GetDefaultProfilePath());
    stored.Load(m_page->Profile().GetProfilePath());
    bool storedCtrlA = false;
    for (const KeyAssignmentEntry& entry : stored.GetKeyList()) {
        storedCtrlA = storedCtrlA || (entry.keyIndex == key && entry.code == kCtrlA);
    }
    EXPECT_TRUE(storedCtrlA);

    // Exactly one slot of the keyboard changed: the one that held the key's code.
    const std::vector<uint8_t> imageAfter = m_emulator->Firmware().Memory().keyImage;
    ASSERT_EQ(imageAfter.size(), imageBefore.size());
    std::vector<int> changed;
    for (std::size_t slot = 0; slot * 3 + 2 < imageAfter.size(); ++slot) {
        if (!std::equal(imageAfter.begin() + static_cast<std::ptrdiff_t>(slot * 3),
                        imageAfter.begin() + static_cast<std::ptrdiff_t>(slot * 3 + 3),
                        imageBefore.begin() + static_cast<std::ptrdiff_t>(slot * 3))) {
            changed.push_back(static_cast<int>(slot));
        }
    }
    ASSERT_EQ(changed.size(), 1u);
    const std::size_t slot = static_cast<std::size_t>(changed.front());
    EXPECT_EQ(
        (KeyCode{imageBefore[slot * 3], imageBefore[slot * 3 + 1], imageBefore[slot * 3 + 2]}),
        picked.defaultCode);

    // What quaroctl reads from the keyboard once the window has let go of it.
    m_window.reset();
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(
        RunQuaroctl(
            {"--bus", m_bus.Path().string(), "read", "keyboard", "keys", "--json"}, out, err,
            [](const std::filesystem::path& bus) { return std::make_shared<SimHidBackend>(bus); }),
        0)
        << err.str();
    Json::Value document;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream in(out.str());
    ASSERT_TRUE(Json::parseFromStream(builder, in, &document, &errors)) << errors;
    EXPECT_EQ(document["keys"]["slots"][static_cast<int>(slot)]["code"].asString(), "20 01 04");
}

// Store, cancel and default: the key follows the panel, cancel takes it back to its code as
// loaded, and key capture ends when the keyboard goes while it is on.
TEST_F(KeyAssignment, CancelRestoresTheLoadedCodeAndAVanishingKeyboardEndsCapture) {
    Start();
    const int key = 5;
    const KeyCode loaded = CodeOf(key);
    PickKeyboardFamily(key);
    auto* caption = Control<CEditUI>("keyset_keyboard_text_edit");
    Notify(caption, notify::kSetFocus);
    m_capture->Key(0x42, 0x30, true);  // B
    ASSERT_TRUE(test::WaitFor([&] { return CodeOf(key) == KeyCode{0x20, 0x00, 0x05}; }, kWaitMs));
    // Choosing Shift keeps the key and adds the modifier.
    auto* shift = Control<COptionUI>("key_ComBox_check_2");
    shift->Selected(true, false);
    Notify(shift, notify::kSelectChanged);
    EXPECT_EQ(CodeOf(key), (KeyCode{0x20, 0x02, 0x05}));
    EXPECT_FALSE(m_window->IsIdle());

    Notify(Control<CControlUI>("key_butt_keycancel"), notify::kClick);
    EXPECT_EQ(CodeOf(key), loaded);
    EXPECT_TRUE(m_window->IsIdle());
    EXPECT_FALSE(Control<CControlUI>("key_butt_prosave")->IsEnabled());

    ASSERT_TRUE(m_window->IsKeyCaptureOn());
    m_emulator->Unplug();
    ASSERT_TRUE(test::WaitFor([&] { return !m_window->IsKeyCaptureOn(); }, kWaitMs));
    EXPECT_FALSE(m_capture->IsInstalled());
}

// A session that refuses the capture leaves the edit usable and nothing installed.
TEST_F(KeyAssignment, ARefusedCaptureLeavesTheWindowUsable) {
    Start();
    test::TraceCapture traces;
    m_capture->refuse = true;
    PickKeyboardFamily(1);
    Notify(Control<CEditUI>("keyset_keyboard_text_edit"), notify::kSetFocus);
    EXPECT_FALSE(m_window->IsKeyCaptureOn());
    EXPECT_FALSE(m_window->Hook().IsInstalled());
    Notify(Control<CEditUI>("keyset_keyboard_text_edit"), notify::kKillFocus);
    EXPECT_TRUE(traces.Contains("hook: install of mode 1 failed: no display\n"));
    EXPECT_TRUE(Control<CEditUI>("keyset_keyboard_text_edit")->IsEnabled());
    EXPECT_TRUE(m_window->isEnabled());
}

}  // namespace
}  // namespace quaro
