// The mouse's buttons in the main window against an emulated mouse on a simulated bus: a button
// picked on the picture and given a DPI function is saved into the mouse at that button's slot; a
// mouse failing any packet of that save costs the stored profile nothing; deleting a macro takes
// the buttons that play it back to their defaults and renumbers the later ones, in the profile
// and in the mouse.

#include "MousePageFixture.h"
#include "Quaroctl.h"
#include "devices/keyboard/KeySetChoices.h"
#include "devices/keyboard/KeyTables.h"
#include "panels/keyset/CKeySetControlUI.h"
#include "panels/macro/CMacroControlUI.h"
#include "profiles/MacroLibrary.h"
#include "ui/MessageTexts.h"
#include "ui/toolkit/CComboUI.h"
#include "ui/toolkit/CListUI.h"

#include <json/reader.h>

#include <atomic>
#include <sstream>

namespace quaro {
namespace {

using mousetest::kWaitMs;
using mousetest::ReadWhole;

constexpr int kKeyTab = 2;
// The emulated mouse keeps its buttons in its own order: the slot of each logical button.
constexpr std::array<std::size_t, 10> kSlotOfButton = {0, 1, 2, 4, 3, 6, 5, 7, 9, 8};

constexpr KeyCode kMacroOnce(int macro) {
    return {key_type::kMacro, static_cast<std::uint8_t>(macro), 0};
}

class MouseButtonAssignment : public mousetest::MousePageInWindow {
protected:
    // The mouse started, its page current, message boxes answered here, and macro count macros
    // in its library.
    void StartWithMacros(int count) {
        Start();
        m_window->MacroRouting().SetMessageBoxes(
            [this](const char* id) {
                m_asked.emplace_back(id);
                return true;
            },
            [](const char*) {});
        ASSERT_EQ(m_window->CurrentPage(), m_page);
        ASSERT_NE(m_page->GetKeySetPanel(), nullptr);
        ASSERT_NE(m_page->GetMacroPanel(), nullptr);
        for (int i = 0; i < count; ++i) {
            Notify(Control<CControlUI>(QStringLiteral("macro_btn_name_add")), notify::kClick);
        }
        ASSERT_EQ(MacroLibrary(m_page->UserDataFolder()).Count(), count);
        ASSERT_EQ(m_page->GetKeyList().size(), kSlotOfButton.size());
    }

    // The user picks button n on the picture and a DPI function row for it.
    void AssignDpiFunction(int button, int row) {
        m_page->SelectFunctionTab(kKeyTab);
        Notify(m_page->GetKeyButton(button), notify::kClick);
        ASSERT_EQ(m_page->GetSelectedKey(), button);
        ASSERT_TRUE(Control<CControlUI>(QStringLiteral("keyset_layout"))->IsVisible());
        auto* family = Control<CComboUI>(QStringLiteral("keyset_function_combo"));
        ASSERT_NE(family, nullptr);
        int item = -1;
        for (int i = 0; i < family->GetCount(); ++i) {
            if (family->GetItemAt(i)->GetUserData().toInt() == keyset_tab::kDpiFunction) {
                item = i;
            }
        }
        // The mouse offers the DPI family the keyboard hides.
        ASSERT_GE(item, 0);
        ASSERT_TRUE(family->IsItemVisible(item));
        family->SelectItem(item, false, false);
        Notify(family, notify::kItemSelect);
        auto* dpi = Control<CComboUI>(QStringLiteral("keyset_mousedpi_combo"));
        ASSERT_NE(dpi, nullptr);
        dpi->SelectItem(row, false, false);
        Notify(dpi, notify::kItemSelect);
        ASSERT_EQ(CodeOf(button), kDpiChoices[static_cast<std::size_t>(row)].code);
    }

    // Until every flow asked for so far has run (they run in order) and its news arrived.
    void ClickSave() {
        Notify(Control<CControlUI>(QStringLiteral("key_butt_prosave")), notify::kClick);
    }
    bool SaveEnabled() const {
        return Control<CControlUI>(QStringLiteral("key_butt_prosave"))->IsEnabled();
    }

    KeyCode CodeOf(int button) const {
        return m_page->GetKeyList().at(static_cast<std::size_t>(button)).code;
    }
    std::vector<KeyAssignmentEntry> StoredKeys() const { return Stored().GetKeyList(); }
    KeyCode InMouse(int button) const {
        const std::vector<uint8_t> image = m_emulator->Firmware().Memory().keyImage;
        const std::size_t at = kSlotOfButton.at(static_cast<std::size_t>(button)) * 3;
        EXPECT_GE(image.size(), at + 3);
        return image.size() < at + 3 ? KeyCode{} : KeyCode{image[at], image[at + 1], image[at + 2]};
    }
    std::vector<int> Commands() {
        std::vector<int> commands = m_received->Commands();
        // A block longer than one packet goes as several packets of the same command.
        commands.erase(std::unique(commands.begin(), commands.end(),
                                   [](int a, int b) {
                                       return a == b &&
                                              (a == kCmdWriteMacroImage || a == kCmdWriteKeyImage);
                                   }),
                       commands.end());
        return commands;
    }

    std::vector<std::string> m_asked;
};

// The whole way of a button's assignment: picked, given "DPI up", shown on the picture, saved with
// the macros first and then the button image, kept by the profile, held by the mouse at the slot of
// that button only, and read back from the mouse by quaroctl.
TEST_F(MouseButtonAssignment, AButtonAssignedAndSavedReachesTheMouseAtItsSlot) {
    StartWithMacros(1);
    const int button = 3;  // forward
    const std::vector<uint8_t> imageBefore = m_emulator->Firmware().Memory().keyImage;
    AssignDpiFunction(button, 0);
    EXPECT_FALSE(m_page->GetKeyButton(button)->GetText().isEmpty());
    EXPECT_TRUE(SaveEnabled());

    m_received->Clear();
    ClickSave();
    WaitQuiet();
    EXPECT_EQ(Commands(),
              (std::vector<int>{kCmdReadDeviceInfo, kCmdBegin, kCmdWriteMacroImage, kCmdEnd,
                                kCmdReadDeviceInfo, kCmdBegin, kCmdWriteKeyImage, kCmdEnd}));
    EXPECT_FALSE(SaveEnabled());
    EXPECT_EQ(StoredKeys().at(button).code, (KeyCode{0x13, 0x01, 0x00}));

    const std::vector<uint8_t> imageAfter = m_emulator->Firmware().Memory().keyImage;
    ASSERT_EQ(imageAfter.size(), imageBefore.size());
    for (std::size_t slot = 0; slot * 3 < imageAfter.size(); ++slot) {
        const bool same = std::equal(imageAfter.begin() + static_cast<std::ptrdiff_t>(slot * 3),
                                     imageAfter.begin() + static_cast<std::ptrdiff_t>(slot * 3 + 3),
                                     imageBefore.begin() + static_cast<std::ptrdiff_t>(slot * 3));
        EXPECT_EQ(same, slot != kSlotOfButton[button]) << slot;
    }

    // What quaroctl reads from the mouse once the window has let go of it.
    m_window.reset();
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(
        RunQuaroctl(
            {"--bus", m_bus.Path().string(), "read", "mouse", "keys", "--json"}, out, err,
            [](const std::filesystem::path& bus) { return std::make_shared<SimHidBackend>(bus); }),
        0)
        << err.str();
    Json::Value document;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream in(out.str());
    ASSERT_TRUE(Json::parseFromStream(builder, in, &document, &errors)) << errors;
    EXPECT_EQ(document["keys"]["slots"][static_cast<int>(kSlotOfButton[button])]["code"].asString(),
              "13 01 00");
}

// Every packet of the save failing in turn (refused, unanswered, answered for another command):
// the document holds the button as the user chose it and nothing the failed save did changes it;
// a key image the mouse did not take leaves the save button on; once the mouse answers again the
// save reaches it. A mouse pulled out during the save costs the document nothing either.
TEST_F(MouseButtonAssignment, FaultAtAnyPacketOfAButtonSaveLeavesTheStoredProfileAlone) {
    StartWithMacros(1);
    const int button = 4;  // back
    AssignDpiFunction(button, 2);
    m_received->Clear();
    ClickSave();
    WaitQuiet();
    const std::vector<int> clean = m_received->Commands();
    const auto keyImageAt = static_cast<uint32_t>(
        std::find(clean.begin(), clean.end(), kCmdWriteKeyImage) - clean.begin() + 1);
    ASSERT_LE(keyImageAt, clean.size());
    ASSERT_GE(clean.size(), 8u);

    struct Case {
        FaultKind kind;
        uint32_t packet;
    };
    std::vector<Case> cases;
    for (uint32_t packet = 1; packet <= clean.size(); ++packet) {
        cases.push_back({FaultKind::kStatusFF, packet});
        cases.push_back({FaultKind::kStatusFE, packet});
    }
    cases.push_back({FaultKind::kNoReply, keyImageAt});
    cases.push_back({FaultKind::kWrongEcho, keyImageAt});
    cases.push_back({FaultKind::kNoReply, 3});
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.kind) << " at " << c.packet);
        m_emulator->Firmware().ClearFaults();
        row = (row + 1) % static_cast<int>(kDpiChoices.size());
        AssignDpiFunction(button, row);
        m_emulator->ScheduleFault(c.kind, c.packet);
        ClickSave();
        const std::string document = ReadWhole(m_page->Profile().GetProfilePath());
        WaitFlows();
        EXPECT_EQ(ReadWhole(m_page->Profile().GetProfilePath()), document);
        EXPECT_EQ(StoredKeys().at(button).code, kDpiChoices[static_cast<std::size_t>(row)].code);
        EXPECT_EQ(CodeOf(button), kDpiChoices[static_cast<std::size_t>(row)].code);
        if (c.packet == keyImageAt) {
            EXPECT_TRUE(SaveEnabled());
        }
    }

    m_emulator->Firmware().ClearFaults();
    AssignDpiFunction(button, 1);
    ClickSave();
    WaitFlows();
    EXPECT_EQ(InMouse(button), (KeyCode{0x13, 0x02, 0x00}));
    EXPECT_FALSE(SaveEnabled());

    // The mouse goes instead of answering the key image.
    AssignDpiFunction(button, 0);
    m_emulator->ScheduleFault(FaultKind::kUnplug, keyImageAt);
    ClickSave();
    const std::string document = ReadWhole(m_page->Profile().GetProfilePath());
    ASSERT_TRUE(test::WaitFor([&] { return !m_page->GetDeviceTab()->IsShown(); }, kWaitMs));
    QTest::qWait(300);
    EXPECT_EQ(ReadWhole(m_page->Profile().GetProfilePath()), document);
    EXPECT_EQ(StoredKeys().at(button).code, (KeyCode{0x13, 0x01, 0x00}));
}

// Buttons 3, 4 and 6 play macros 0, 1 and 2: deleting macro 1 (after both questions) takes
// button 4 back to its default and moves button 6 to macro 1, in the page, the profile and the
// mouse, which gets the macros and then the button image.
TEST_F(MouseButtonAssignment, DeletingAMacroRenumbersTheMouseButtons) {
    StartWithMacros(3);
    CMouseProfiledata profile = Stored();
    std::vector<KeyAssignmentEntry> keys = profile.GetKeyList();
    keys[3].code = kMacroOnce(0);
    keys[4].code = kMacroOnce(1);
    keys[6].code = kMacroOnce(2);
    profile.SetKeyList(keys);
    ASSERT_EQ(profile.Save(), 0);
    m_page->LoadProfile();
    m_page->RefreshPanels();
    ASSERT_EQ(CodeOf(6), kMacroOnce(2));

    auto* list = Control<CListUI>(QStringLiteral("macro_name_list"));
    ASSERT_NE(list, nullptr);
    list->SelectItem(1, false, false);
    m_page->GetMacroPanel()->LoadSelectedMacro();
    m_received->Clear();
    Notify(Control<CControlUI>(QStringLiteral("macro_btn_name_sub")), notify::kClick);
    EXPECT_EQ(m_asked,
              (std::vector<std::string>{msgtext::kConfirmMacroDelete, msgtext::kMacroInUse}));
    ASSERT_EQ(MacroLibrary(m_page->UserDataFolder()).Count(), 2);

    EXPECT_EQ(CodeOf(3), kMacroOnce(0));
    EXPECT_EQ(CodeOf(4), keys[4].defaultCode);
    EXPECT_EQ(CodeOf(6), kMacroOnce(1));
    const std::vector<KeyAssignmentEntry> stored = StoredKeys();
    EXPECT_EQ(stored.at(3).code, kMacroOnce(0));
    EXPECT_EQ(stored.at(4).code, keys[4].defaultCode);
    EXPECT_EQ(stored.at(6).code, kMacroOnce(1));

    WaitQuiet();
    const std::vector<int> commands = Commands();
    const auto macros = std::find(commands.begin(), commands.end(), kCmdWriteMacroImage);
    const auto image = std::find(commands.begin(), commands.end(), kCmdWriteKeyImage);
    EXPECT_NE(macros, commands.end());
    EXPECT_NE(image, commands.end());
    EXPECT_LT(macros, image);
    EXPECT_EQ(InMouse(3), kMacroOnce(0));
    EXPECT_EQ(InMouse(4), keys[4].defaultCode);
    EXPECT_EQ(InMouse(6), kMacroOnce(1));
}

}  // namespace
}  // namespace quaro
