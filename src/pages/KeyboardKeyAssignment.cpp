// The keyboard page's part in key assignment: the panel it hosts, the key picked on the
// picture, the codes the panel composes and the save to the keyboard.

#include "devices/keyboard/KeyCaption.h"
#include "pages/CKestrovaKeyboardDevice.h"
#include "panels/keyset/CKeySetControlUI.h"
#include "platform/Trace.h"
#include "profiles/JsonFileStore.h"
#include "profiles/MacroLibrary.h"
#include "ui/toolkit/CResourceManager.h"

namespace quaro {

void CKestrovaKeyboardDevice::FindKeySetPanel() {
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (auto* panel = dynamic_cast<CKeySetControlUI*>(AsControl(widget))) {
            m_keySetPanel = panel;
            break;
        }
    }
    if (m_keySetPanel) {
        m_keySetPanel->SetDeviceKind(kKeySetKeyboardKind);
        m_keySetPanel->SetSaveButtonsEnabled(false);
        m_keySetPanel->HideEditingArea();
    }
}

void CKestrovaKeyboardDevice::ShowMacroNames() {
    if (!m_keySetPanel) {
        return;
    }
    std::vector<QString> names;
    for (const std::string& name : MacroLibrary(UserDataFolder()).Names()) {
        names.push_back(QString::fromStdString(name));
    }
    m_keySetPanel->SetMacroNames(names);
    // A profile applied anew leaves no key picked.
    m_keySetPanel->HideEditingArea();
    RefreshKeyAssignmentList();
}

bool CKestrovaKeyboardDevice::PickKeyForAssignment(int key) {
    const DocumentRead profile = JsonFileStore().ReadDocument(m_profile.GetProfilePath());
    if (profile.Damaged()) {
        Trace("the keyboard's profile cannot be read: no key is picked");
        return false;
    }
    SelectKeyListItem(key);
    return true;
}

void CKestrovaKeyboardDevice::SelectKeyListItem(int index) {
    for (const KeyAssignmentEntry& entry : m_keyList) {
        if (entry.keyIndex != index) {
            continue;
        }
        CKestrovaUSBDevice::SelectKeyListItem(index);
        if (m_keySetPanel) {
            m_keySetPanel->LoadKey(entry);
        }
        return;
    }
}

bool CKestrovaKeyboardDevice::StoreKeyCode(KeyCode code) {
    const int selected = GetSelectedKey();
    for (KeyAssignmentEntry& entry : m_keyList) {
        if (entry.keyIndex == selected) {
            entry.code = code;
            RefreshKeyAssignmentList();
            return true;
        }
    }
    return false;
}

void CKestrovaKeyboardDevice::SaveKeysToKeyboard() {
    DownloadMacros();
    SaveKeyAssignments(0);
    m_profile.SetKeyList(m_keyList);
    SaveProfile();
}

void CKestrovaKeyboardDevice::RefreshKeyAssignmentList() {
    const std::vector<std::string> macroNames = MacroLibrary(UserDataFolder()).Names();
    for (const KeyAssignmentEntry& entry : m_keyList) {
        CDeviceKeyButtonUI* button = GetKeyButton(entry.keyIndex);
        if (button == nullptr) {
            continue;
        }
        const bool reassigned = entry.code != entry.defaultCode;
        QString caption;
        if (reassigned) {
            if (IsMacroCode(entry.code) && entry.code.first < macroNames.size()) {
                caption = QString::fromStdString(macroNames[entry.code.first]);
            } else {
                CResourceManager* resources = button->GetResourceManager();
                caption = QString::fromStdString(
                    KeyCodeCaption(entry.code, [resources](std::string_view id) {
                        const QString key = QString::fromUtf8(id.data(), id.size());
                        const QString text = resources != nullptr ? resources->GetText(key) : key;
                        return (text.isEmpty() ? key : text).toStdString();
                    }));
            }
        }
        button->SetResourceText(false);
        button->SetText(caption);
        button->SetKeySetImageHidden(!reassigned);
        button->setToolTip(caption);
    }
}

}  // namespace quaro
