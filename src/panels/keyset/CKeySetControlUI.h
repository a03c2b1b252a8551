#pragma once

#include "devices/keyboard/KeyCodeComposer.h"
#include "panels/devicetab/InnerControl.h"
#include "ui/toolkit/CComboUI.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/CEditUI.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <QString>

#include <vector>

namespace quaro {

// The key assignment panel of the keyboard and mouse pages: shows the selected key's code in its
// family's tab and composes a code from the controls. It holds no device logic; the page stores
// what it composes. Every control is optional: a layout without one simply skips it.
class CKeySetControlUI : public CVerticalLayoutUI {
public:
    static constexpr int kModifierOptionCount = 5;
    static constexpr int kMacroItemHeight = 30;

    explicit CKeySetControlUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("KeySetControl"); }

    // 1 keyboard (no DPI functions, no gun keys), 2 mouse.
    void SetDeviceKind(int kind);
    void LoadKey(const KeyAssignmentEntry& entry);
    void ShowCode(KeyCode code);
    void ShowDefault();
    void ShowLoaded();
    // The code of the controls; it also becomes the panel's current code.
    KeyCode ComposeCode();

    void SetMacroNames(const std::vector<QString>& names);
    // Checks option alone; -1 (or any number outside 0-4) clears all five.
    void SetModifierOption(int option);
    int GetModifierOption();
    void SetSaveButtonsEnabled(bool enabled);
    // No key picked: the editing area goes until the next LoadKey.
    void HideEditingArea();

    // The reaction to a choice in the function combo: its tab page, a fresh keyboard tab.
    void ShowSelectedFunction();
    // The reaction to a choice of play mode: the repeat area only for repeating.
    void ShowRepeatArea();
    // A key captured into the caption edit, as its row of the key name table; false when the
    // panel cannot assign it. The caller stores through ComposeCode.
    bool CaptureKey(int keyNameRow);

    const KeyCodeComposer& Composer() const { return m_composer; }

private:
    KeySetChoices ReadChoices();
    void ApplyChoices(const KeySetChoices& choices);
    int SelectedTab();
    void SetCaption(const std::string& captionId);

    KeyCodeComposer m_composer;

    InnerControl<CControlUI> m_layout;
    InnerControl<CComboUI> m_functionCombo;
    InnerControl<CTabLayoutUI> m_tabs;
    std::vector<InnerControl<CControlUI>> m_saveButtons;
    InnerControl<CComboUI> m_mouseButtonCombo;
    InnerControl<CComboUI> m_swingCombo;
    InnerControl<CEditUI> m_swingCount;
    InnerControl<CEditUI> m_swingDelay;
    InnerControl<CEditUI> m_swingSpeed;
    InnerControl<CComboUI> m_wheelCombo;
    InnerControl<CEditUI> m_wheelCount;
    InnerControl<CEditUI> m_wheelDelay;
    InnerControl<CEditUI> m_wheelSpeed;
    InnerControl<CComboUI> m_dpiCombo;
    InnerControl<CEditUI> m_fireInterval;
    InnerControl<CEditUI> m_fireShots;
    InnerControl<CEditUI> m_captionEdit;
    std::vector<InnerControl<COptionUI>> m_modifierOptions;
    InnerControl<CComboUI> m_mediaCombo;
    InnerControl<CComboUI> m_systemCombo;
    InnerControl<CComboUI> m_macroCombo;
    InnerControl<CComboUI> m_playModeCombo;
    InnerControl<CControlUI> m_repeatArea;
    InnerControl<CEditUI> m_repeatCount;
    InnerControl<CComboUI> m_gunKeyCombo;
    InnerControl<CComboUI> m_combinationCombo;
};

}  // namespace quaro
