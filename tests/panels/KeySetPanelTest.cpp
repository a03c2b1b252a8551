// The key assignment panel over controls named as the page layouts name them: codes shown in
// their family's tab and composed back from what the controls hold.

#include "panels/keyset/CKeySetControlUI.h"
#include "support/QtTestApp.h"
#include "ui/toolkit/CButtonUI.h"
#include "ui/toolkit/CListUI.h"

#include <gtest/gtest.h>

namespace quaro {
namespace {

constexpr KeyCode kEscDefault{0x20, 0x00, 0x29};

class KeySetPanel : public ::testing::Test {
protected:
    KeySetPanel() {
        m_layout = Add<CVerticalLayoutUI>(&m_panel, "keyset_layout");
        m_function = Add<CComboUI>(m_layout, "keyset_function_combo");
        m_tabs = Add<CTabLayoutUI>(m_layout, "function_switch_tablayout");
        for (int tab = 0; tab <= keyset_tab::kCombination; ++tab) {
            m_function->Add(Item(QString::number(tab)));
            m_tabs->Add(new CContainerUI);
        }
        m_mouseButtons = Combo("keyset_mousekey_combo", 5);
        m_wheel = Combo("keyset_mousewheel_combo", 2);
        m_wheelCount = Add<CEditUI>(m_layout, "keyset_mousewheel_num_edit");
        m_wheelDelay = Add<CEditUI>(m_layout, "keyset_mousewheel_delay_edit");
        Add<CEditUI>(m_layout, "keyset_mousewheel_speed_edit");
        m_caption = Add<CEditUI>(m_layout, "keyset_keyboard_text_edit");
        for (int n = 0; n < CKeySetControlUI::kModifierOptionCount; ++n) {
            m_options.push_back(
                Add<COptionUI>(m_layout, QStringLiteral("key_ComBox_check_%1").arg(n)));
        }
        m_macros = Add<CComboUI>(m_layout, "keyset_macro_combo");
        m_playMode = Combo("keyset_macro_over_combo", kMacroPlayModeCount);
        m_repeatArea = Add<CHorizontalLayoutUI>(m_layout, "keyset_macro_cycle_layout");
        m_repeatCount = Add<CEditUI>(m_repeatArea, "keyset_macro_cycle_edit");
        m_save = Add<CButtonUI>(m_layout, "key_butt_keysave");
        m_panel.SetMacroNames({QStringLiteral("one"), QStringLiteral("two")});
    }

    template <class T>
    T* Add(CContainerUI* parent, const QString& name) {
        auto* control = new T;
        control->SetName(name);
        parent->Add(control);
        return control;
    }
    template <class T>
    T* Add(CContainerUI* parent, const char* name) {
        return Add<T>(parent, QLatin1String(name));
    }

    static CListLabelElementUI* Item(const QString& data) {
        auto* item = new CListLabelElementUI;
        item->SetUserData(data);
        item->SetText(data);
        return item;
    }

    CComboUI* Combo(const char* name, int rows) {
        auto* combo = Add<CComboUI>(m_layout, name);
        for (int row = 0; row < rows; ++row) {
            combo->Add(Item(QString::number(row)));
        }
        return combo;
    }

    void Load(KeyCode current) { m_panel.LoadKey(KeyAssignmentEntry{3, current, 3, kEscDefault}); }

    CKeySetControlUI m_panel;
    CVerticalLayoutUI* m_layout = nullptr;
    CComboUI* m_function = nullptr;
    CTabLayoutUI* m_tabs = nullptr;
    CComboUI* m_mouseButtons = nullptr;
    CComboUI* m_wheel = nullptr;
    CEditUI* m_wheelCount = nullptr;
    CEditUI* m_wheelDelay = nullptr;
    CEditUI* m_caption = nullptr;
    std::vector<COptionUI*> m_options;
    CComboUI* m_macros = nullptr;
    CComboUI* m_playMode = nullptr;
    CHorizontalLayoutUI* m_repeatArea = nullptr;
    CEditUI* m_repeatCount = nullptr;
    CButtonUI* m_save = nullptr;
};

TEST_F(KeySetPanel, ShowsCodesInTheirTabAndComposesThemBack) {
    Load(KeyCode{0x12, 0x35, 0xFD});
    EXPECT_EQ(m_function->GetCurSel(), keyset_tab::kMouseWheel);
    EXPECT_EQ(m_tabs->GetCurSel(), keyset_tab::kMouseWheel);
    EXPECT_EQ(m_wheel->GetCurSel(), 1);
    EXPECT_EQ(m_wheelCount->GetEditText(), QStringLiteral("3"));
    EXPECT_EQ(m_wheelDelay->GetEditText(), QStringLiteral("3"));

    m_wheelCount->SetText(QStringLiteral("5"));
    m_wheelDelay->SetText(QStringLiteral("20"));
    EXPECT_EQ(m_panel.ComposeCode(), (KeyCode{0x12, 0x45, 0xFB}));

    m_panel.ShowDefault();
    EXPECT_EQ(m_function->GetCurSel(), keyset_tab::kDefault);
    EXPECT_EQ(m_panel.ComposeCode(), kEscDefault);
    m_panel.ShowLoaded();
    EXPECT_EQ(m_panel.ComposeCode(), (KeyCode{0x12, 0x35, 0xFD}));

    m_panel.SetSaveButtonsEnabled(false);
    EXPECT_FALSE(m_save->IsEnabled());
    m_panel.SetSaveButtonsEnabled(true);
    EXPECT_TRUE(m_save->IsEnabled());
}

TEST_F(KeySetPanel, CapturedKeysFillTheCaptionAndTheModifierBoxes) {
    Load(KeyCode{0x10, 0x02, 0x00});
    m_function->SelectItem(keyset_tab::kKeyboard, false, false);
    m_panel.ShowSelectedFunction();
    EXPECT_TRUE(m_caption->GetEditText().isEmpty());
    EXPECT_EQ(m_panel.ComposeCode(), (KeyCode{0x20, 0x00, 0x00}));

    m_panel.SetModifierOption(keyset_modifier::kCtrl);
    ASSERT_TRUE(m_panel.CaptureKey(8));  // A
    EXPECT_EQ(m_caption->GetEditText(), QStringLiteral("keyboard_key_A"));
    EXPECT_EQ(m_panel.ComposeCode(), (KeyCode{0x20, 0x01, 0x04}));
    ASSERT_TRUE(m_panel.CaptureKey(1));  // LShift
    EXPECT_EQ(m_panel.GetModifierOption(), keyset_modifier::kShift);
    EXPECT_FALSE(m_options[1]->IsSelected());
    EXPECT_EQ(m_panel.ComposeCode(), (KeyCode{0x20, 0x02, 0x04}));
    EXPECT_FALSE(m_panel.CaptureKey(120));  // a media key cannot be captured

    m_panel.SetModifierOption(keyset_modifier::kNoModifierOption);
    EXPECT_EQ(m_panel.GetModifierOption(), keyset_modifier::kNoModifierOption);
}

TEST_F(KeySetPanel, MacrosAndFamiliesThePageDoesNotOffer) {
    EXPECT_EQ(m_macros->GetCount(), 2);
    EXPECT_EQ(m_macros->GetCurSel(), kNoRow);

    Load(KeyCode{0x71, 0x01, 0x07});
    EXPECT_EQ(m_macros->GetCurSel(), 1);
    EXPECT_EQ(m_playMode->GetCurSel(), kMacroRepeatPlayMode);
    EXPECT_FALSE(m_repeatArea->GetWidget()->isHidden());
    EXPECT_EQ(m_repeatCount->GetEditText(), QStringLiteral("7"));
    m_playMode->SelectItem(2, false, false);
    m_panel.ShowRepeatArea();
    EXPECT_TRUE(m_repeatArea->GetWidget()->isHidden());
    EXPECT_EQ(m_panel.ComposeCode(), (KeyCode{0x70, 0x01, 0x02}));

    // The second macro was deleted: the key's code shows no macro.
    m_panel.SetMacroNames({QStringLiteral("one")});
    m_panel.ShowCode(KeyCode{0x70, 0x01, 0x02});
    EXPECT_EQ(m_macros->GetCurSel(), kNoRow);
    EXPECT_EQ(m_panel.ComposeCode(), (KeyCode{0x70, 0x01, 0x02}));

    // The keyboard page offers no DPI functions: such a code hides the editing area.
    m_panel.SetDeviceKind(kKeySetKeyboardKind);
    EXPECT_FALSE(m_function->IsItemVisible(keyset_tab::kDpiFunction));
    EXPECT_FALSE(m_function->IsItemVisible(keyset_tab::kGunKey));
    Load(KeyCode{0x13, 0x01, 0x00});
    EXPECT_TRUE(m_layout->GetWidget()->isHidden());
    Load(KeyCode{0x10, 0x04, 0x00});
    EXPECT_FALSE(m_layout->GetWidget()->isHidden());
    EXPECT_EQ(m_mouseButtons->GetCurSel(), 1);
}

}  // namespace
}  // namespace quaro
