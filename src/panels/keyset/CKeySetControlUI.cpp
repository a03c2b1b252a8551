#include "panels/keyset/CKeySetControlUI.h"

#include "ui/toolkit/CListUI.h"

namespace quaro {

namespace {

int ComboRow(CComboUI* combo) {
    return combo == nullptr ? kNoRow : combo->GetCurSel();
}

// Selects row without a notification (the window would take it for the user's choice); a row
// outside the combo leaves it with nothing selected.
void ShowComboRow(CComboUI* combo, int row) {
    if (combo == nullptr) {
        return;
    }
    if (!combo->SelectItem(row, false, false)) {
        combo->setCurrentIndex(-1);
    }
}

int EditValue(CEditUI* edit) {
    return edit == nullptr ? 0 : ParseKeySetEdit(edit->GetEditText().toStdString());
}

void ShowEditValue(CEditUI* edit, int value) {
    if (edit != nullptr) {
        edit->SetText(QString::number(value));
    }
}

}  // namespace

CKeySetControlUI::CKeySetControlUI(QWidget* parent)
    : CVerticalLayoutUI(parent),
      m_layout(this, QStringLiteral("keyset_layout")),
      m_functionCombo(this, QStringLiteral("keyset_function_combo")),
      m_tabs(this, QStringLiteral("function_switch_tablayout")),
      m_mouseButtonCombo(this, QStringLiteral("keyset_mousekey_combo")),
      m_swingCombo(this, QStringLiteral("keyset_mouseswing_combo")),
      m_swingCount(this, QStringLiteral("keyset_mouseswing_num_edit")),
      m_swingDelay(this, QStringLiteral("keyset_mouseswing_delay_edit")),
      m_swingSpeed(this, QStringLiteral("keyset_mouseswing_speed_edit")),
      m_wheelCombo(this, QStringLiteral("keyset_mousewheel_combo")),
      m_wheelCount(this, QStringLiteral("keyset_mousewheel_num_edit")),
      m_wheelDelay(this, QStringLiteral("keyset_mousewheel_delay_edit")),
      m_wheelSpeed(this, QStringLiteral("keyset_mousewheel_speed_edit")),
      m_dpiCombo(this, QStringLiteral("keyset_mousedpi_combo")),
      m_fireInterval(this, QStringLiteral("keyset_mousefire_interval_edit")),
      m_fireShots(this, QStringLiteral("keyset_mousefire_num_edit")),
      m_captionEdit(this, QStringLiteral("keyset_keyboard_text_edit")),
      m_mediaCombo(this, QStringLiteral("keyset_media_combo")),
      m_systemCombo(this, QStringLiteral("keyset_system_combo")),
      m_macroCombo(this, QStringLiteral("keyset_macro_combo")),
      m_playModeCombo(this, QStringLiteral("keyset_macro_over_combo")),
      m_repeatArea(this, QStringLiteral("keyset_macro_cycle_layout")),
      m_repeatCount(this, QStringLiteral("keyset_macro_cycle_edit")),
      m_gunKeyCombo(this, QStringLiteral("keyset_gunkey_combo")),
      m_combinationCombo(this, QStringLiteral("keyset_combokey_combo")) {
    // The default button stays usable; only the three that store or discard follow changes.
    for (const char* name : {"key_butt_keysave", "key_butt_keycancel", "key_butt_prosave"}) {
        m_saveButtons.emplace_back(this, QLatin1String(name));
    }
    m_modifierOptions.reserve(kModifierOptionCount);
    for (int n = 0; n < kModifierOptionCount; ++n) {
        m_modifierOptions.emplace_back(this, QStringLiteral("key_ComBox_check_%1").arg(n));
    }
}

void CKeySetControlUI::SetDeviceKind(int kind) {
    CComboUI* combo = m_functionCombo.Get();
    if (combo == nullptr) {
        return;
    }
    for (int i = 0; i < combo->GetCount(); ++i) {
        const CControlUI* item = combo->GetItemAt(i);
        if (item != nullptr) {
            combo->SetItemVisible(i, IsKeySetTabOffered(item->GetUserData().toInt(), kind));
        }
    }
}

void CKeySetControlUI::LoadKey(const KeyAssignmentEntry& entry) {
    ApplyChoices(m_composer.LoadKey(entry));
}

void CKeySetControlUI::ShowCode(KeyCode code) {
    ApplyChoices(m_composer.ShowCode(code));
}

void CKeySetControlUI::ShowDefault() {
    ApplyChoices(m_composer.ShowDefault());
}

void CKeySetControlUI::ShowLoaded() {
    ApplyChoices(m_composer.ShowLoaded());
}

KeyCode CKeySetControlUI::ComposeCode() {
    return m_composer.ComposeCode(ReadChoices());
}

void CKeySetControlUI::SetMacroNames(const std::vector<QString>& names) {
    m_composer.SetMacroCount(static_cast<int>(names.size()));
    CComboUI* combo = m_macroCombo.Get();
    if (combo == nullptr) {
        return;
    }
    combo->RemoveAll();
    for (const QString& name : names) {
        auto* item = new CListLabelElementUI;
        item->GetWidget()->setFixedHeight(kMacroItemHeight);
        item->SetText(name);
        combo->Add(item);
    }
    combo->setCurrentIndex(-1);
}

void CKeySetControlUI::SetModifierOption(int option) {
    for (int n = 0; n < kModifierOptionCount; ++n) {
        if (COptionUI* box = m_modifierOptions[static_cast<std::size_t>(n)].Get()) {
            box->Selected(n == option, false);
        }
    }
}

int CKeySetControlUI::GetModifierOption() {
    for (int n = 0; n < kModifierOptionCount; ++n) {
        COptionUI* box = m_modifierOptions[static_cast<std::size_t>(n)].Get();
        if (box != nullptr && box->IsSelected()) {
            return n;
        }
    }
    return keyset_modifier::kNoModifierOption;
}

void CKeySetControlUI::SetSaveButtonsEnabled(bool enabled) {
    for (auto& button : m_saveButtons) {
        if (CControlUI* control = button.Get()) {
            control->SetEnabled(enabled);
        }
    }
}

void CKeySetControlUI::HideEditingArea() {
    if (CControlUI* layout = m_layout.Get()) {
        layout->SetVisible(false);
    }
}

void CKeySetControlUI::ShowSelectedFunction() {
    const int tab = SelectedTab();
    if (CTabLayoutUI* tabs = m_tabs.Get()) {
        tabs->SelectItem(tab, false);
    }
    if (tab == keyset_tab::kKeyboard) {
        SetCaption({});
        SetModifierOption(keyset_modifier::kNoModifierOption);
    }
}

void CKeySetControlUI::ShowRepeatArea() {
    if (CControlUI* area = m_repeatArea.Get()) {
        area->SetVisible(ComboRow(m_playModeCombo.Get()) == kMacroRepeatPlayMode);
    }
}

bool CKeySetControlUI::CaptureKey(int keyNameRow) {
    KeySetChoices choices = ReadChoices();
    if (!m_composer.CaptureKey(keyNameRow, choices)) {
        return false;
    }
    SetModifierOption(choices.modifierOption);
    if (choices.keyCaption != ReadChoices().keyCaption) {
        SetCaption(choices.keyCaption);
    }
    return true;
}

int CKeySetControlUI::SelectedTab() {
    CComboUI* combo = m_functionCombo.Get();
    const CControlUI* item = combo == nullptr ? nullptr : combo->GetItemAt(combo->GetCurSel());
    return item == nullptr ? keyset_tab::kDefault : item->GetUserData().toInt();
}

void CKeySetControlUI::SetCaption(const std::string& captionId) {
    if (CEditUI* edit = m_captionEdit.Get()) {
        edit->SetResourceText(!captionId.empty());
        edit->SetText(QString::fromStdString(captionId));
    }
}

KeySetChoices CKeySetControlUI::ReadChoices() {
    KeySetChoices choices;
    choices.tab = SelectedTab();
    choices.mouseButtonRow = ComboRow(m_mouseButtonCombo.Get());
    choices.swingDirection = ComboRow(m_swingCombo.Get());
    choices.swingCount = EditValue(m_swingCount.Get());
    choices.swingDelay = EditValue(m_swingDelay.Get());
    choices.swingSpeed = EditValue(m_swingSpeed.Get());
    choices.wheelDirection = ComboRow(m_wheelCombo.Get());
    choices.wheelCount = EditValue(m_wheelCount.Get());
    choices.wheelDelay = EditValue(m_wheelDelay.Get());
    choices.wheelSpeed = EditValue(m_wheelSpeed.Get());
    choices.dpiRow = ComboRow(m_dpiCombo.Get());
    choices.fireInterval = EditValue(m_fireInterval.Get());
    choices.fireShots = EditValue(m_fireShots.Get());
    if (CEditUI* edit = m_captionEdit.Get()) {
        // Only whether a key is shown matters; the id keeps it independent of the language.
        choices.keyCaption =
            edit->GetEditText().isEmpty() ? std::string{} : edit->GetText().toStdString();
    }
    choices.modifierOption = GetModifierOption();
    choices.mediaRow = ComboRow(m_mediaCombo.Get());
    choices.systemRow = ComboRow(m_systemCombo.Get());
    choices.macroRow = ComboRow(m_macroCombo.Get());
    choices.playModeRow = ComboRow(m_playModeCombo.Get());
    choices.repeatCount = EditValue(m_repeatCount.Get());
    choices.gunKeyRow = ComboRow(m_gunKeyCombo.Get());
    choices.combinationRow = ComboRow(m_combinationCombo.Get());
    return choices;
}

void CKeySetControlUI::ApplyChoices(const KeySetChoices& choices) {
    switch (choices.tab) {
        case keyset_tab::kMouseButton:
            ShowComboRow(m_mouseButtonCombo.Get(), choices.mouseButtonRow);
            break;
        case keyset_tab::kMouseSwing:
            ShowComboRow(m_swingCombo.Get(), choices.swingDirection);
            ShowEditValue(m_swingCount.Get(), choices.swingCount);
            ShowEditValue(m_swingDelay.Get(), choices.swingDelay);
            ShowEditValue(m_swingSpeed.Get(), choices.swingSpeed);
            break;
        case keyset_tab::kMouseWheel:
            ShowComboRow(m_wheelCombo.Get(), choices.wheelDirection);
            ShowEditValue(m_wheelCount.Get(), choices.wheelCount);
            ShowEditValue(m_wheelDelay.Get(), choices.wheelDelay);
            ShowEditValue(m_wheelSpeed.Get(), choices.wheelSpeed);
            break;
        case keyset_tab::kDpiFunction:
            ShowComboRow(m_dpiCombo.Get(), choices.dpiRow);
            break;
        case keyset_tab::kFireKey:
            ShowEditValue(m_fireInterval.Get(), choices.fireInterval);
            ShowEditValue(m_fireShots.Get(), choices.fireShots);
            break;
        case keyset_tab::kKeyboard:
            SetCaption(choices.keyCaption);
            SetModifierOption(choices.modifierOption);
            break;
        case keyset_tab::kMedia:
            ShowComboRow(m_mediaCombo.Get(), choices.mediaRow);
            break;
        case keyset_tab::kSystem:
            ShowComboRow(m_systemCombo.Get(), choices.systemRow);
            break;
        case keyset_tab::kMacro:
            ShowComboRow(m_macroCombo.Get(), choices.macroRow);
            ShowComboRow(m_playModeCombo.Get(), choices.playModeRow);
            if (CControlUI* area = m_repeatArea.Get()) {
                area->SetVisible(choices.repeatAreaVisible);
            }
            if (choices.repeatAreaVisible) {
                ShowEditValue(m_repeatCount.Get(), choices.repeatCount);
            }
            break;
        case keyset_tab::kGunKey:
            ShowComboRow(m_gunKeyCombo.Get(), choices.gunKeyRow);
            break;
        case keyset_tab::kCombination:
            ShowComboRow(m_combinationCombo.Get(), choices.combinationRow);
            break;
        default:
            break;
    }

    // The family's own item of the function combo; a family this page does not offer has none
    // and the editing area stays hidden rather than showing another family's tab.
    int item = kNoRow;
    if (CComboUI* combo = m_functionCombo.Get()) {
        for (int i = 0; i < combo->GetCount(); ++i) {
            const CControlUI* element = combo->GetItemAt(i);
            if (element != nullptr && element->GetUserData().toInt() == choices.tab &&
                combo->IsItemVisible(i)) {
                item = i;
                break;
            }
        }
        if (item != kNoRow) {
            combo->SelectItem(item, false, false);
        }
    }
    if (CControlUI* layout = m_layout.Get()) {
        layout->SetVisible(item != kNoRow);
    }
    if (item != kNoRow) {
        if (CTabLayoutUI* tabs = m_tabs.Get()) {
            tabs->SelectItem(choices.tab, false);
        }
    }
}

}  // namespace quaro
