// The device page base offscreen: which picture buttons it binds, its light colour and light
// setting access, the function tab switch and its data folders.

#include "TempDir.h"
#include "pages/CKestrovaUSBDevice.h"
#include "platform/Paths.h"
#include "support/QtTestApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace quaro {
namespace {

CDeviceKeyButtonUI* AddButton(CContainerUI& parent, const char* name, const char* userData) {
    auto* button = new CDeviceKeyButtonUI;
    button->SetName(QLatin1String(name));
    button->SetUserData(QLatin1String(userData));
    parent.Add(button);
    return button;
}

class PagePicture : public ::testing::Test {
protected:
    PagePicture() {
        m_page->SetPageLayout(QStringLiteral("device_mousepad.xml"));
        m_page->SetKeyCount(5);
        m_page->SetLightCount(3);
        // A button outside the picture is never bound, whatever its name.
        AddButton(*m_page, "key_1", "light_1");
        m_panel = new CSelectPanelUI;
        m_page->Add(m_panel);
    }

    std::unique_ptr<CKestrovaUSBDevice> m_page = std::make_unique<CKestrovaUSBDevice>();
    CSelectPanelUI* m_panel = nullptr;
};

TEST_F(PagePicture, BindsNamedButtonsWithinTheCountsAndPaintsLightsWhite) {
    CDeviceKeyButtonUI* first = AddButton(*m_panel, "key_0", "light_0");
    CDeviceKeyButtonUI* upper = AddButton(*m_panel, "KEY_4", "LIGHT_2");
    auto* nested = new CContainerUI;
    m_panel->Add(nested);
    CDeviceKeyButtonUI* deep = AddButton(*nested, "key_2", "");
    CDeviceKeyButtonUI* beyond = AddButton(*m_panel, "key_5", "light_3");
    CDeviceKeyButtonUI* words = AddButton(*m_panel, "key_x", "light_");
    CDeviceKeyButtonUI* huge = AddButton(*m_panel, "key_99999999999999999999", "light_-1");
    CDeviceKeyButtonUI* other = AddButton(*m_panel, "btn_3", "led_1");

    m_page->InitPage();

    EXPECT_EQ(m_page->GetSelectPanel(), m_panel);
    EXPECT_EQ(m_page->GetKeyButton(0), first);
    EXPECT_EQ(m_page->GetKeyButton(4), upper);
    EXPECT_EQ(m_page->GetKeyButton(2), deep);
    EXPECT_EQ(m_page->GetKeyButton(1), nullptr);
    EXPECT_EQ(m_page->GetKeyButton(3), nullptr);
    EXPECT_EQ(m_page->GetKeyButton(5), nullptr);
    EXPECT_EQ(m_page->GetLightButton(0), first);
    EXPECT_EQ(m_page->GetLightButton(2), upper);
    EXPECT_EQ(m_page->GetLightButton(1), nullptr);

    for (CDeviceKeyButtonUI* lit : {first, upper}) {
        EXPECT_TRUE(lit->IsLightOn());
        EXPECT_EQ(lit->GetLightColour(), 0xFFFFFFu);
        EXPECT_EQ(lit->GetLightIntensity(), 255u);
    }
    for (CDeviceKeyButtonUI* unlit : {deep, beyond, words, huge, other}) {
        EXPECT_FALSE(unlit->IsLightOn()) << unlit->GetName().toStdString();
    }
}

TEST_F(PagePicture, WithoutALayoutThePageHasNoKeysAndNoLights) {
    AddButton(*m_panel, "key_0", "light_0");
    m_page->SetPageLayout({});
    m_page->InitPage();
    EXPECT_EQ(m_page->GetKeyCount(), 0);
    EXPECT_EQ(m_page->GetLightCount(), 0);
    EXPECT_EQ(m_page->GetKeyButton(0), nullptr);
    EXPECT_EQ(m_page->GetLightColour(0), 0u);
}

TEST_F(PagePicture, ResettingTheLightCountForgetsBoundLights) {
    AddButton(*m_panel, "key_0", "light_0");
    m_page->InitPage();
    ASSERT_NE(m_page->GetLightButton(0), nullptr);
    m_page->SetLightColour(0, 0x11223344);
    m_page->SetLightCount(3);
    EXPECT_EQ(m_page->GetLightButton(0), nullptr);
    // A deleted button is not left dangling.
    m_page->SetKeyCount(5);
    m_page->InitPage();
    delete m_page->GetKeyButton(0);
    EXPECT_EQ(m_page->GetKeyButton(0), nullptr);
}

TEST(PageLightColours, StoredOnlyWithinTheLightCount) {
    CKestrovaUSBDevice page;
    page.SetLightCount(15);
    page.SetLightColour(0, 0x80FF0010);
    page.SetLightColour(14, 0xFF010203);
    page.SetLightColour(15, 0xFFFFFFFF);
    page.SetLightColour(-1, 0xFFFFFFFF);
    EXPECT_EQ(page.GetLightColour(0), 0x80FF0010u);
    EXPECT_EQ(page.GetLightColour(14), 0xFF010203u);
    EXPECT_EQ(page.GetLightColour(1), 0u);
    EXPECT_EQ(page.GetLightColour(15), 0u);
    EXPECT_EQ(page.GetLightColour(-1), 0u);
    EXPECT_EQ(page.GetLightColour(1 << 30), 0u);

    // Counts beyond the largest device are cut to it; negative ones are none.
    page.SetLightCount(1000);
    EXPECT_EQ(page.GetLightCount(), CKestrovaUSBDevice::kMaxKeyCount);
    page.SetLightCount(-4);
    EXPECT_EQ(page.GetLightCount(), 0);
    EXPECT_EQ(page.GetLightColour(0), 0u);
}

TEST(PageLightSetting, ThreeWordsPackTheElevenBytes) {
    CKestrovaUSBDevice page;
    page.SetLightSetting(0x04030201, 0x0D0C0B01, 0xFF2A1234);
    const LightSetting setting = page.GetLightSetting();
    EXPECT_EQ(setting.effect, 0x01);
    EXPECT_EQ(setting.brightness, 0x02);
    EXPECT_EQ(setting.speed, 0x03);
    EXPECT_EQ(setting.direction, 0x04);
    EXPECT_EQ(setting.multiColor, 0x01);
    EXPECT_EQ(setting.red, 0x0B);
    EXPECT_EQ(setting.green, 0x0C);
    EXPECT_EQ(setting.blue, 0x0D);
    EXPECT_EQ(setting.extraWord, 0x1234);
    EXPECT_EQ(setting.extraByte, 0x2A);
}

TEST(PageLightSteps, StepTheColoursWithTheStoredSetting) {
    CKestrovaUSBDevice page;
    page.SetLightCount(4);
    // Static red at brightness level 5 (255).
    page.SetLightSetting(0x00000500, 0x0000FF00, 0);
    page.LightStepStatic();
    EXPECT_EQ(page.GetLightColour(3), 0xFF0000FFu);
    page.LightStepOff();
    EXPECT_EQ(page.GetLightColour(3), 0u);
    // Brightness level 0 shows nothing, whatever the effect.
    page.SetLightSetting(0, 0x00FFFFFF, 0);
    page.LightStepSpectrum();
    EXPECT_EQ(page.GetLightColour(0) >> 24, 0u);
}

TEST(PageFades, KeysOutsideTheFadeTableAreIgnored) {
    CKestrovaUSBDevice page;
    page.FadeStep(-1, true);
    page.FadeStep(CKestrovaUSBDevice::kMaxKeyCount, true);
    EXPECT_EQ(page.FadeLevels()[0], 0);
}

TEST(PageLightThread, EveryPaintedFrameShowsOneWholeStep) {
    CKestrovaUSBDevice page;
    page.SetPageLayout(QStringLiteral("pad.xml"));
    page.SetLightCount(CKestrovaUSBDevice::kMaxKeyCount);
    auto* panel = new CSelectPanelUI;
    page.Add(panel);
    std::vector<CDeviceKeyButtonUI*> buttons;
    for (int l = 0; l < CKestrovaUSBDevice::kMaxKeyCount; ++l) {
        const QByteArray data = "light_" + QByteArray::number(l);
        buttons.push_back(AddButton(*panel, "", data.constData()));
    }
    page.InitPage();

    // The light thread switches every light between red and blue while the frame timer paints.
    std::atomic<bool> stop{false};
    std::atomic<int> steps{0};
    std::thread lightThread([&] {
        for (uint32_t i = 0; !stop; ++i) {
            page.SetLightSetting(0x00000500, i % 2 == 0 ? 0x0000FF00u : 0xFF000000u, 0);
            page.LightStepStatic();
            ++steps;
        }
    });
    int mixed = 0;
    for (int frame = 0; frame < 1000 || steps < 5000; ++frame) {
        page.RenderLightFrame();
        for (CDeviceKeyButtonUI* button : buttons) {
            mixed += button->GetLightColour() != buttons[0]->GetLightColour() ? 1 : 0;
        }
    }
    stop = true;
    lightThread.join();
    EXPECT_EQ(mixed, 0);
}

struct FunctionTabRow {
    int page;
    int functionTab;
    int keyTab;  // -1: left as it was
};

class FunctionTab : public ::testing::TestWithParam<FunctionTabRow> {
protected:
    FunctionTab() {
        m_functionSwitch = AddTabs("device_function_switch");
        m_keySwitch = AddTabs("device_key_function_switch");
    }

    CTabLayoutUI* AddTabs(const char* name) {
        auto* tabs = new CTabLayoutUI;
        tabs->SetName(QLatin1String(name));
        for (int i = 0; i < 3; ++i) {
            tabs->Add(new CContainerUI);
        }
        m_page.Add(tabs);
        return tabs;
    }

    CKestrovaUSBDevice m_page;
    CTabLayoutUI* m_functionSwitch = nullptr;
    CTabLayoutUI* m_keySwitch = nullptr;
};

TEST_P(FunctionTab, SelectsTheSwitchTabsOfThePage) {
    const FunctionTabRow row = GetParam();
    m_keySwitch->SelectItem(2, false);
    m_functionSwitch->SelectItem(2, false);
    m_page.SelectFunctionTab(row.page);
    EXPECT_EQ(m_page.GetFunctionTab(), row.page);
    EXPECT_EQ(m_functionSwitch->GetCurSel(), row.functionTab);
    EXPECT_EQ(m_keySwitch->GetCurSel(), row.keyTab < 0 ? 2 : row.keyTab);
}

INSTANTIATE_TEST_SUITE_P(EveryPage, FunctionTab,
                         ::testing::Values(FunctionTabRow{1, 0, 0}, FunctionTabRow{2, 0, 1},
                                           FunctionTabRow{3, 1, -1}, FunctionTabRow{4, 0, 2},
                                           FunctionTabRow{5, 2, -1}, FunctionTabRow{6, 0, 1},
                                           FunctionTabRow{7, 1, -1}, FunctionTabRow{0, 0, 0},
                                           FunctionTabRow{9, 0, 0}));

TEST(FunctionTabWithoutSwitches, OnlyRemembersThePage) {
    CKestrovaUSBDevice page;
    EXPECT_EQ(page.GetFunctionTab(), 1);
    auto* tabs = new CTabLayoutUI;
    tabs->SetName(QStringLiteral("device_function_switch"));
    tabs->Add(new CContainerUI);
    tabs->Add(new CContainerUI);
    page.Add(tabs);
    page.SelectFunctionTab(3);
    EXPECT_EQ(page.GetFunctionTab(), 3);
    EXPECT_EQ(tabs->GetCurSel(), 0);
}

TEST(PageDataFolders, KindFoldersUnderTheDataHomeAndDefaultsBesideTheProgram) {
    test::TempDir home;
    CKestrovaUSBDevice page;
    page.SetKindName(QStringLiteral("MousePad"));
    page.SetDataHome(home.Path());
    const std::filesystem::path folder = page.UserDataFolder();
    EXPECT_EQ(folder, home.Path() / kProductFolderName / "MousePad");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(page.DefaultDataFile(), ExecutableDirectory() / "DefaultData" / "MousePad.Json");

    // A data home that cannot hold folders still gives the full path, never an empty one that
    // would put profiles into the working folder.
    test::WriteFileBytes(home.Path() / "file", "x");
    page.SetDataHome(home.Path() / "file");
    EXPECT_EQ(page.UserDataFolder(), home.Path() / "file" / kProductFolderName / "MousePad");
}

}  // namespace
}  // namespace quaro
