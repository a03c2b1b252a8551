#include "pages/PageKeyAssignment.h"

#include "device/CommandChannel.h"
#include "devices/keyboard/KeyCaption.h"
#include "pages/CKestrovaUSBDevice.h"
#include "panels/keyset/CKeySetControlUI.h"
#include "panels/macro/CMacroControlUI.h"
#include "platform/Trace.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/JsonFileStore.h"
#include "profiles/MacroLibrary.h"
#include "ui/toolkit/CResourceManager.h"

#include <algorithm>
#include <utility>

namespace quaro {
namespace {

// The first control of class T named name under root; our controls carry no meta-object of their
// own, so the type is told by a dynamic cast.
template <class T>
T* FindControlOf(QWidget* root, const QString& name) {
    for (QWidget* widget : root->findChildren<QWidget*>(name)) {
        if (T* control = dynamic_cast<T*>(AsControl(widget))) {
            return control;
        }
    }
    return nullptr;
}

}  // namespace

PageKeyAssignment::PageKeyAssignment(CKestrovaUSBDevice& page, CBasicProfiledata& profile,
                                     std::vector<KeyAssignmentEntry>& keys, int panelKind,
                                     DeviceWrites writes)
    : m_page(page),
      m_profile(profile),
      m_keys(keys),
      m_panelKind(panelKind),
      m_writes(std::move(writes)) {}

void PageKeyAssignment::FindPanels() {
    m_panel = FindControlOf<CKeySetControlUI>(&m_page, QStringLiteral("KeySetControlItem"));
    if (m_panel) {
        m_panel->SetDeviceKind(m_panelKind);
        m_panel->SetSaveButtonsEnabled(false);
        m_panel->HideEditingArea();
    }
    m_macroPanel = FindControlOf<CMacroControlUI>(&m_page, QStringLiteral("MacroControlItem"));
    if (m_macroPanel) {
        m_macroPanel->SetFolder(m_page.UserDataFolder());
        m_macroPanel->LoadMacroList();
    }
}

void PageKeyAssignment::ShowMacroNames() {
    if (!m_panel) {
        return;
    }
    std::vector<QString> names;
    for (const std::string& name : MacroLibrary(m_page.UserDataFolder()).Names()) {
        names.push_back(QString::fromStdString(name));
    }
    m_panel->SetMacroNames(names);
    m_panel->HideEditingArea();
    RefreshCaptions();
}

bool PageKeyAssignment::Pick(int key) {
    const DocumentRead profile = JsonFileStore().ReadDocument(m_profile.GetProfilePath());
    if (profile.Damaged()) {
        Trace("the profile cannot be read: no key is picked");
        return false;
    }
    m_page.SelectKeyListItem(key);
    return true;
}

void PageKeyAssignment::Select(int index) {
    const auto entry = std::find_if(m_keys.begin(), m_keys.end(),
                                    [index](const auto& key) { return key.keyIndex == index; });
    if (entry == m_keys.end()) {
        return;
    }
    // The base only records the selection; the page's own override is what called us.
    m_page.CKestrovaUSBDevice::SelectKeyListItem(index);
    if (m_panel) {
        m_panel->LoadKey(*entry);
    }
}

bool PageKeyAssignment::Store(KeyCode code) {
    const int selected = m_page.GetSelectedKey();
    for (KeyAssignmentEntry& entry : m_keys) {
        if (entry.keyIndex == selected) {
            entry.code = code;
            RefreshCaptions();
            return true;
        }
    }
    return false;
}

void PageKeyAssignment::Save() {
    // The document takes the user's choice before the device hears of it, so a device that fails
    // the write never costs the document anything.
    m_profile.SetKeyList(m_keys);
    m_page.SaveProfile();
    if (m_writes.downloadMacros) {
        m_writes.downloadMacros();
    }
    m_keyFlow = m_writes.writeKeys ? m_writes.writeKeys() : 0;
}

bool PageKeyAssignment::FlowFinished(uint32_t flowId, int32_t result) {
    if (flowId == 0 || flowId != m_keyFlow) {
        return false;
    }
    m_keyFlow = 0;
    if (result != kResultSuccess) {
        TraceFormat("the key assignments did not reach the device (%d): saving stays possible",
                    result);
        if (m_panel) {
            m_panel->SetSaveButtonsEnabled(true);
        }
    }
    return true;
}

bool PageKeyAssignment::PlaysMacro(int macro) const {
    return std::any_of(m_keys.begin(), m_keys.end(), [macro](const KeyAssignmentEntry& key) {
        return IsMacroCode(key.code) && key.code.first == macro;
    });
}

bool PageKeyAssignment::ForgetMacro(int macro) {
    std::vector<KeyAssignmentEntry> keys = m_keys;
    MacroLibrary::RenumberKeysForDeletedMacro(keys, macro);
    if (keys == m_keys) {
        return false;
    }
    m_keys = std::move(keys);
    m_profile.SetKeyList(m_keys);
    return true;
}

void PageKeyAssignment::ValidateMacros() {
    const int macroCount = MacroLibrary(m_page.UserDataFolder()).Count();
    bool changed = false;
    for (KeyAssignmentEntry& entry : m_keys) {
        if (IsMacroCode(entry.code) && entry.code.first >= macroCount) {
            entry.code = entry.defaultCode;
            changed = true;
        }
    }
    if (changed) {
        m_profile.SetKeyList(m_keys);
    }
}

void PageKeyAssignment::RefreshCaptions() {
    const std::vector<std::string> macroNames = MacroLibrary(m_page.UserDataFolder()).Names();
    for (const KeyAssignmentEntry& entry : m_keys) {
        CDeviceKeyButtonUI* button = m_page.GetKeyButton(entry.keyIndex);
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
