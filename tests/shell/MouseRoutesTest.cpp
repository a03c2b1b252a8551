// The mouse's own controls routed by the main window: the pointer controls reach the session's
// settings (on the applier's thread) and the profile, showing a profile reaches neither, a hidden
// mouse page's controls do nothing, and the left-button guard keeps one left button.

#include "WindowFixtures.h"
#include "device/CatalogueEntries.h"
#include "pages/CKestrovaMouseDevice.h"
#include "panels/devicetab/CDeviceOptionUI.h"
#include "platform/RecordingSystemSettings.h"
#include "profiles/JsonFileStore.h"
#include "shell/CMainWnd.h"
#include "support/QtTestApp.h"
#include "ui/toolkit/CButtonUI.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CSliderUI.h"

#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace quaro {
namespace {

class MouseInWindow : public test::WindowInTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(
            OpenWindow([](CMainWnd::Services& services) { services.trayAvailable = true; }));
        m_window->MouseRouting().SetShowMessage(
            [this](const char* id) { m_messages.emplace_back(id); });
        m_mouse = dynamic_cast<CKestrovaMouseDevice*>(m_window->Devices().EnsurePage(kKindMouse));
        ASSERT_NE(m_mouse, nullptr);
        std::filesystem::copy_file(test::SourceDefaultDataFolder() / "mouse.Json", m_profile);
        m_mouse->TakeProfile(m_profile);
    }
    // The window goes before the message list it reports to.
    void TearDown() override { m_window.reset(); }

    template <class T>
    T* Control(const char* name) const {
        return dynamic_cast<T*>(
            AsControl(m_mouse->GetWidget()->findChild<QWidget*>(QLatin1String(name))));
    }
    // The session's requests once count of them have arrived from the applier's thread.
    std::vector<std::string> Requests(std::size_t count) {
        test::WaitFor([&] { return m_session.Requests().size() >= count; });
        std::vector<std::string> seen;
        for (const auto& request : m_session.Requests()) {
            seen.push_back(request.setting + " " + std::to_string(request.applied));
        }
        return seen;
    }
    int StoredWord(const char* name) {
        return JsonFileStore().ReadJson(m_profile)["Device"][0]["SystemStages"][name].asInt();
    }

    std::filesystem::path m_profile = m_dir / "mouse profile.json";
    CKestrovaMouseDevice* m_mouse = nullptr;
    std::vector<std::string> m_messages;
};

TEST_F(MouseInWindow, PointerControlsReachTheSessionAndTheProfileShowingReachesNeither) {
    // The profile's words on the controls, and nothing applied for showing them.
    EXPECT_EQ(Control<CSliderUI>("pointer_speed_slider")->GetValue(), 4);
    EXPECT_TRUE(Control<COptionUI>("pointer_precision_check")->IsSelected());
    EXPECT_EQ(Control<CSliderUI>("scroll_speed_slider")->GetValue(), 2);
    EXPECT_EQ(Control<CSliderUI>("double_click_slider")->GetValue(), 5);

    // A hidden mouse page's controls change nothing.
    Show(kKindMousePad);
    Control<CSliderUI>("pointer_speed_slider")->SetValue(7, true);
    QTest::qWait(50);
    EXPECT_TRUE(m_session.Requests().empty());
    EXPECT_EQ(StoredWord("MouseSpeed"), 4);

    Show(kKindMouse);
    ASSERT_EQ(m_window->CurrentPage(), m_mouse);
    Control<CSliderUI>("pointer_speed_slider")->SetValue(0, true);
    EXPECT_EQ(Requests(1).back(), "pointer speed 2");
    Control<CSliderUI>("pointer_speed_slider")->SetValue(9, true);
    EXPECT_EQ(Requests(2).back(), "pointer speed 20");
    EXPECT_EQ(StoredWord("MouseSpeed"), 9);

    Control<COptionUI>("pointer_precision_check")->Selected(false, true);
    EXPECT_EQ(Requests(3).back(), "pointer precision 0");
    EXPECT_EQ(StoredWord("PointerPrecision"), 0);

    // Page scrolling, then the slider takes it back to lines.
    Control<COptionUI>("scrolls_page_check")->Selected(true, true);
    EXPECT_EQ(Requests(4).back(), "wheel lines 255");
    EXPECT_EQ(StoredWord("ScorllPage"), 1);
    Control<CSliderUI>("scroll_speed_slider")->SetValue(5, true);
    EXPECT_EQ(Requests(5).back(), "wheel lines 6");
    EXPECT_FALSE(Control<COptionUI>("scrolls_page_check")->IsSelected());
    EXPECT_EQ(StoredWord("ScorllPage"), 0);
    EXPECT_EQ(StoredWord("WheelScorlllinse"), 5);

    // Fast on the right: the maximum is 100 ms, the far left 900 ms.
    CSliderUI* doubleClick = Control<CSliderUI>("double_click_slider");
    doubleClick->SetValue(doubleClick->GetMaxValue(), true);
    EXPECT_EQ(Requests(6).back(), "double-click time 100");
    doubleClick->SetValue(1, true);
    EXPECT_EQ(Requests(7).back(), "double-click time 900");
    EXPECT_EQ(StoredWord("DoubleClickTime"), 1);
}

TEST_F(MouseInWindow, PickingTheOnlyLeftButtonForAnotherFunctionIsRefused) {
    Show(kKindMouse);
    m_mouse->SelectFunctionTab(2);
    Control<CButtonUI>("key_1")->click();
    EXPECT_EQ(m_mouse->GetSelectedKey(), 1);
    EXPECT_TRUE(m_messages.empty());

    Control<CButtonUI>("key_0")->click();
    EXPECT_EQ(m_mouse->GetSelectedKey(), 1);  // unchanged
    EXPECT_EQ(m_messages, std::vector<std::string>{"message_text_6"});

    // With a second left button either may be picked.
    std::vector<KeyAssignmentEntry> keys = m_mouse->GetKeyList();
    keys[1].code = keys[0].code;
    EXPECT_TRUE(MouseRoutes::IsOnlyLeftButton(m_mouse->GetKeyList(), 0));
    EXPECT_FALSE(MouseRoutes::IsOnlyLeftButton(keys, 0));
    EXPECT_FALSE(MouseRoutes::IsOnlyLeftButton(keys, 2));
    EXPECT_FALSE(MouseRoutes::IsOnlyLeftButton(keys, 99));
}

}  // namespace
}  // namespace quaro
