// The lighting panel built from the shipped fragment: the enable rule of every device kind and
// effect as the user sees it (groups enabled, hidden, the same-mode button offered), the effect
// list, and a light setting shown in the controls.

#include "TempDir.h"
#include "panels/light/CLightControlUI.h"
#include "profiles/LightLibrary.h"
#include "support/QtTestApp.h"
#include "support/RecordingWindow.h"
#include "ui/toolkit/CDialogBuilder.h"
#include "ui/toolkit/CResourceManager.h"

#include <gtest/gtest.h>

#include <array>
#include <ios>
#include <string>
#include <vector>

namespace quaro {
namespace {

class PanelControls : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const QString& className) override {
        return className == u"LightControl" ? new CLightControlUI : nullptr;
    }
};

// The groups in the order the expectations below list them.
constexpr std::array<const char*, 7> kGroups = {
    "lighteffect_layout", "deng_7color_check", "deng_color_layout", "colorpallet_layout",
    "deng_light_layout",  "deng_speed_layout", "deng_fx_layout"};

class LightPanel : public ::testing::Test {
protected:
    LightPanel() {
        test::WriteFileBytes(m_dir / "w.xml",
                             "<Window size=\"1300,180\"><VerticalLayout name=\"root\">"
                             "<HorizontalLayout name=\"area\"/></VerticalLayout></Window>");
        m_resources.SetResourcePath(test::SourceSkinPath());
        m_resources.LoadLanguage(QStringLiteral("lan_en.xml"));
        m_window.Create(QStringLiteral("t"), Qt::Window | Qt::FramelessWindowHint);
        CDialogBuilder builder;
        CControlUI* built = builder.Create(QStringLiteral("XML/CustomControlXML/LightControl.xml"),
                                           m_resources, &m_controls);
        m_problems = builder.Problems();
        m_panel = dynamic_cast<CLightControlUI*>(built);
        if (m_panel == nullptr) {
            delete built;
            return;
        }
        m_window.FindControlAs<CContainerUI>(QStringLiteral("area"))->Add(m_panel);
        InitControls(m_panel);
    }

    void SetUp() override {
        ASSERT_NE(m_panel, nullptr);
        EXPECT_TRUE(m_problems.isEmpty()) << m_problems.join(u' ').toStdString();
    }

    template <class T = CControlUI>
    T* Find(const char* name) {
        return m_window.FindControlAs<T>(QLatin1String(name));
    }
    // "E" or "D" per group, in kGroups order.
    std::string EnabledGroups() {
        std::string shown;
        for (const char* group : kGroups) {
            CControlUI* control = Find(group);
            shown += control == nullptr ? '?' : control->IsEnabled() ? 'E' : 'D';
        }
        return shown;
    }
    bool SameModeOffered() { return Find("deng_same_mode")->IsVisible(); }
    std::vector<std::string> Effects(int count) {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) {
            names.push_back("light_mode_wave");
        }
        return names;
    }

    test::TempDir m_dir;
    CResourceManager m_resources;
    test::RecordingWindow m_window{m_resources, QString::fromStdString((m_dir / "w.xml").string())};
    PanelControls m_controls;
    QStringList m_problems;
    CLightControlUI* m_panel = nullptr;
};

// Per effect number: the groups enabled ("E") or disabled ("D") in kGroups order, and whether
// the effect may run on every device at once.
struct Expected {
    const char* groups;
    bool sync;
};

// The keyboard's effects 0 to 28; 19 and 28 are unlisted effects.
const std::vector<Expected> kKeyboard = {
    {"EEEEEEE", false}, {"EEEEEEE", false}, {"EEEEEEE", false}, {"EDDDEED", true},
    {"EEEEEED", true},  {"EDEEEDD", true},  {"EEEEEED", false}, {"EEEEEED", false},
    {"EEEEEED", true},  {"EEEEEED", false}, {"EDDDEED", false}, {"EEEEEEE", false},
    {"EEEEEED", false}, {"EEEEEEE", false}, {"EEEEEED", false}, {"EEEEEED", false},
    {"EDDDEEE", false}, {"EDEEEDD", false}, {"EEEEEED", true},  {"EDDDDDD", false},
    {"EEEEEED", false}, {"EEEEEED", true},  {"EEEEEEE", false}, {"EEEEEED", false},
    {"EDDDEED", false}, {"EDDDEED", false}, {"EDDDDDD", true},  {"EEEEEEE", false},
    {"EDDDDDD", false},
};
const std::vector<Expected> kMouse = {
    {"EEEEEEE", false}, {"EDDDEED", true},  {"EEEEEEE", true},  {"EDEEEDD", true},
    {"EEEEEED", true},  {"EEEEEEE", false}, {"EDDDEED", false}, {"EDDDEED", false},
    {"EDDDDDD", true},  {"EDDDDDD", false},
};
const std::vector<Expected> kPadAndHeadset = {
    {"EEEEEEE", false}, {"EDDDEED", true},  {"EEEEEED", true},  {"EDEEEDD", true},
    {"EEEEEED", true},  {"EDDDDDD", false}, {"EDDDDDD", false}, {"EDDDDDD", false},
    {"EDDDDDD", true},  {"EDDDDDD", false},
};

TEST_F(LightPanel, EveryKindEnablesTheGroupsItsEffectsUseAndOffersSyncOnlyWithSeveralDevices) {
    const struct {
        int kind;
        const std::vector<Expected>* table;
    } kinds[] = {{1, &kKeyboard},
                 {2, &kMouse},
                 {3, &kPadAndHeadset},
                 {4, &kPadAndHeadset},
                 {7, &kPadAndHeadset}};
    m_panel->FillEffects(Effects(30), std::vector<bool>(30, true), 4, 4);
    for (const auto& kind : kinds) {
        m_panel->SetDeviceKind(kind.kind);
        for (bool multiDevice : {true, false}) {
            m_panel->SetMultiDevice(multiDevice);
            // Walking the effects in order also shows that each rule undoes the one before.
            for (int effect = 0; effect < static_cast<int>(kind.table->size()); ++effect) {
                const Expected& expected = (*kind.table)[static_cast<std::size_t>(effect)];
                m_panel->SelectEffect(effect);
                EXPECT_EQ(EnabledGroups(), expected.groups)
                    << "kind " << kind.kind << " effect " << effect;
                EXPECT_EQ(SameModeOffered(), multiDevice && expected.sync)
                    << "kind " << kind.kind << " effect " << effect << " multi " << multiDevice;
            }
        }
    }
}

TEST_F(LightPanel, TheMultiDeviceFlagShowsOrHidesSyncForTheEffectAlreadyChosen) {
    m_panel->FillEffects(Effects(9), std::vector<bool>(9, true), 4, 4);
    m_panel->SetDeviceKind(3);
    m_panel->SelectEffect(2);
    EXPECT_FALSE(SameModeOffered());
    m_panel->SetMultiDevice(true);
    EXPECT_TRUE(SameModeOffered());
    m_panel->SetMultiDevice(false);
    EXPECT_FALSE(SameModeOffered());
}

TEST_F(LightPanel, KeyboardEffectsShowTheirGroupsAndOnlyTheCustomEffectShowsTheCustomGroup) {
    m_panel->FillEffects(Effects(28), std::vector<bool>(28, true), 4, 4);
    m_panel->SetDeviceKind(1);
    const auto visible = [this](const char* name) { return Find(name)->IsVisible(); };

    m_panel->SelectEffect(18);
    EXPECT_TRUE(visible("lighteffect_layout"));
    EXPECT_TRUE(visible("deng_light_layout"));
    for (const char* hidden : {"deng_7color_check", "deng_color_layout", "colorpallet_layout",
                               "deng_speed_layout", "deng_fx_layout", "lightcustom_layout"}) {
        EXPECT_FALSE(visible(hidden)) << hidden;
    }
    EXPECT_TRUE(Find("deng_7color_check")->IsEnabled());

    // An unlisted effect changes no visibility.
    m_panel->SelectEffect(19);
    EXPECT_FALSE(visible("deng_speed_layout"));

    m_panel->SelectEffect(17);
    for (const char* group : kGroups) {
        EXPECT_TRUE(visible(group)) << group;
    }
    EXPECT_TRUE(visible("lightcustom_layout"));

    m_panel->SelectEffect(3);
    EXPECT_FALSE(visible("lightcustom_layout"));
    EXPECT_TRUE(visible("colorpallet_layout"));
}

TEST_F(LightPanel, OtherKindsNeverChangeVisibilityAndTheSlowLinkMouseAppliesNoRule) {
    m_panel->FillEffects(Effects(9), std::vector<bool>(9, true), 4, 4);
    Find("deng_speed_layout")->SetVisible(false);
    m_panel->SetDeviceKind(2);
    m_panel->SelectEffect(0);
    EXPECT_FALSE(Find("deng_speed_layout")->IsVisible());

    m_panel->SelectEffect(8);
    const std::string afterMouse = EnabledGroups();
    m_panel->SetDeviceKind(6);
    m_panel->SetMultiDevice(true);
    m_panel->SelectEffect(0);
    EXPECT_EQ(EnabledGroups(), afterMouse);
    EXPECT_FALSE(SameModeOffered());
}

TEST_F(LightPanel, HiddenEffectsKeepTheirIndexAndNamesAreTranslated) {
    m_panel->FillEffects({"light_mode_wave", "light_mode_custom_effect", "light_mode_static"},
                         {true, false, true}, 5, 3);
    auto* combo = Find<CComboUI>("light_combo_modeSelect");
    ASSERT_EQ(combo->GetCount(), 3);
    EXPECT_TRUE(combo->IsItemVisible(0));
    EXPECT_FALSE(combo->IsItemVisible(1));
    EXPECT_TRUE(combo->IsItemVisible(2));
    EXPECT_EQ(combo->itemText(0).toStdString(), "Wave");
    EXPECT_EQ(combo->itemText(2).toStdString(), "Static");
    EXPECT_EQ(combo->GetItemAt(2)->GetUserData().toStdString(), "light_mode_static");
    EXPECT_EQ(combo->GetItemAt(2)->GetWidget()->height(), CLightControlUI::kEffectItemHeight);
    m_panel->SelectEffect(2);
    EXPECT_EQ(m_panel->GetEffect(), 2);
    EXPECT_EQ(Find<CSliderUI>("deng_light_slider")->GetMaxValue(), 5);
    EXPECT_EQ(Find<CSliderUI>("deng_speed_slider")->GetMaxValue(), 3);

    // Filling again replaces the rows; a language switch retranslates them.
    m_panel->FillEffects({"light_mode_wave", "light_mode_static"}, {true, true}, 5, 3);
    ASSERT_EQ(combo->GetCount(), 2);
    EXPECT_TRUE(combo->IsItemVisible(1));
    m_resources.LoadLanguage(QStringLiteral("lan_cn.xml"));
    m_resources.ReloadText();
    EXPECT_EQ(combo->itemText(0).toStdString(), "波浪");
    EXPECT_EQ(combo->itemText(1).toStdString(), "常亮");
}

TEST_F(LightPanel, TheShippedEffectNamesOfEveryDeviceHaveTextsAndTheHiddenOneKeepsItsPlace) {
    auto* combo = Find<CComboUI>("light_combo_modeSelect");
    for (int style = 0; style < 4; ++style) {
        LightLibrary library(style);
        library.LoadDefaultNames(test::SourceDefaultDataFolder() / "default_light.json");
        ASSERT_FALSE(library.BuiltInNames().empty()) << style;
        m_panel->FillEffects(library.BuiltInNames(), library.BuiltInVisible(), 4, 4);
        ASSERT_EQ(combo->GetCount(), static_cast<int>(library.BuiltInNames().size()));
        for (int i = 0; i < combo->GetCount(); ++i) {
            const std::string& id = library.BuiltInNames()[static_cast<std::size_t>(i)];
            EXPECT_NE(combo->itemText(i).toStdString(), id) << "no text for " << id;
            EXPECT_EQ(combo->IsItemVisible(i),
                      library.BuiltInVisible()[static_cast<std::size_t>(i)])
                << style << " " << id;
        }
    }
}

TEST_F(LightPanel, ShowingASettingFillsEveryControlWithoutRaisingNotifications) {
    m_panel->FillEffects(Effects(9), std::vector<bool>(9, true), 4, 4);
    m_panel->SetDeviceKind(3);
    m_window.ClearNotes();
    // Effect 2, brightness 3, speed 1, direction 1; multicolour, red 255, green 128, blue 0.
    m_panel->ShowLightSetting(0x01'01'03'02u, 0x00'80'FF'01u);
    EXPECT_EQ(m_panel->GetEffect(), 2);
    EXPECT_EQ(m_panel->GetBrightness(), 3);
    EXPECT_EQ(m_panel->GetSpeed(), 1);
    EXPECT_EQ(m_panel->GetRed().toStdString(), "255");
    EXPECT_EQ(m_panel->GetGreen().toStdString(), "128");
    EXPECT_EQ(m_panel->GetBlue().toStdString(), "0");
    EXPECT_EQ(m_panel->GetColour(), 0xFFFF8000u);
    EXPECT_EQ(Find("deng_colordp_btn")->GetBkColor(), 0xFFFF8000u);
    EXPECT_TRUE(m_panel->GetMulticolour());
    EXPECT_TRUE(Find<COptionUI>("deng_FXL_check")->IsSelected());
    EXPECT_FALSE(Find<COptionUI>("deng_FXR_check")->IsSelected());
    EXPECT_EQ(m_panel->GetDirection(), 1);
    EXPECT_EQ(EnabledGroups(), "EEEEEED");

    // Effect 3 with direction 0 and one colour.
    m_panel->ShowLightSetting(LightSetting{.effect = 3, .red = 1, .green = 2, .blue = 3});
    EXPECT_EQ(m_panel->GetDirection(), 0);
    EXPECT_TRUE(Find<COptionUI>("deng_FXR_check")->IsSelected());
    EXPECT_FALSE(m_panel->GetMulticolour());
    EXPECT_EQ(m_panel->GetColour(), 0xFF010203u);
    EXPECT_EQ(EnabledGroups(), "EDEEEDD");

    EXPECT_TRUE(m_window.NotesOf(QStringLiteral("selectchanged")).empty());
    EXPECT_TRUE(m_window.NotesOf(QStringLiteral("itemselect")).empty());
    EXPECT_TRUE(m_window.NotesOf(QStringLiteral("valuechanged")).empty());
}

TEST_F(LightPanel, PaletteColoursSurviveTheRoundTripExactly) {
    for (uint32_t colour : {0xFFFF8000u, 0xFF010203u, 0xFF7F7F80u, 0xFF00FF01u, 0xFFFFFFFEu}) {
        m_panel->SetColour(colour);
        EXPECT_EQ(m_panel->GetColour(), colour) << std::hex << colour;
    }
}

TEST_F(LightPanel, MulticolourAnnouncesAChangeOnlyWhenAskedAndOnlyOnce) {
    m_window.ClearNotes();
    m_panel->SetMulticolour(true);
    m_panel->SetMulticolour(true);
    m_panel->SetMulticolour(false, false);
    const auto notes = m_window.NotesOf(QStringLiteral("selectchanged"));
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].sender.toStdString(), "deng_7color_check");
    EXPECT_FALSE(m_panel->GetMulticolour());
}

TEST_F(LightPanel, PresetsAreTheSwatchColoursAndAMissingSwatchIsZero) {
    EXPECT_EQ(m_panel->PresetColour(0), 0xFFFF0000u);
    EXPECT_EQ(m_panel->PresetColour(3), 0xFF00FF00u);
    EXPECT_EQ(m_panel->PresetColour(8), 0u);
    EXPECT_EQ(m_panel->PresetColour(-1), 0u);
}

TEST(LightPanelWithoutControls, SettersDoNothingAndGettersGiveTheirDefaults) {
    CLightControlUI panel;
    panel.SetDeviceKind(1);
    panel.FillEffects({"light_mode_wave"}, {true}, 4, 4);
    panel.FillCustomEffects({"mine"});
    panel.ShowLightSetting(0xFFFFFFFFu, 0xFFFFFFFFu);
    panel.SetMultiDevice(true);
    panel.SetColour(0xFF123456u);
    panel.SetRed(QStringLiteral("1"));
    EXPECT_EQ(panel.GetEffect(), -1);
    EXPECT_EQ(panel.GetCustomEffect(), -1);
    EXPECT_EQ(panel.GetBrightness(), 0);
    EXPECT_EQ(panel.GetSpeed(), 0);
    EXPECT_TRUE(panel.GetRed().isEmpty());
    EXPECT_EQ(panel.GetColour(), 0xFF000000u);
    EXPECT_EQ(panel.PresetColour(0), 0u);
    EXPECT_FALSE(panel.GetMulticolour());
    EXPECT_EQ(panel.GetDirection(), 0);
}

}  // namespace
}  // namespace quaro
