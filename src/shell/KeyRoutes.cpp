#include "shell/KeyRoutes.h"

#include "device/CatalogueEntries.h"
#include "pages/CKestrovaUSBDevice.h"
#include "pages/ControlNameNumber.h"
#include "pages/KeyAssignmentPage.h"
#include "pages/PageKeyAssignment.h"
#include "panels/keyset/CKeySetControlUI.h"
#include "platform/KeyScanTable.h"
#include "shell/DevicePageSet.h"
#include "ui/toolkit/COptionUI.h"

namespace quaro {
namespace {

constexpr int kKeyTab = 2;

bool ModifierChosen(const TNotifyUI& msg) {
    const auto* option = dynamic_cast<const COptionUI*>(msg.pSender);
    return option != nullptr && option->IsSelected();
}

}  // namespace

const KeyRoutes::Route KeyRoutes::kRoutes[] = {
    {notify::kClick, "key_", true, &KeyRoutes::OnKeyPick},
    {notify::kClick, "key_butt_keysave", false, &KeyRoutes::OnStore},
    {notify::kClick, "key_butt_keydefalut", false, &KeyRoutes::OnDefault},
    {notify::kClick, "key_butt_keycancel", false, &KeyRoutes::OnCancel},
    {notify::kClick, "key_butt_prosave", false, &KeyRoutes::OnSave},
    {notify::kSelectChanged, "key_ComBox_check_", true, &KeyRoutes::OnModifier},
    {notify::kItemSelect, "keyset_function_combo", false, &KeyRoutes::OnFunction},
    {notify::kItemSelect, "keyset_macro_over_combo", false, &KeyRoutes::OnPlayMode},
    {notify::kItemSelect, "keyset_mousekey_combo", false, &KeyRoutes::OnStore},
    {notify::kItemSelect, "keyset_mouseswing_combo", false, &KeyRoutes::OnStore},
    {notify::kItemSelect, "keyset_mousewheel_combo", false, &KeyRoutes::OnStore},
    {notify::kItemSelect, "keyset_mousedpi_combo", false, &KeyRoutes::OnStore},
    {notify::kItemSelect, "keyset_media_combo", false, &KeyRoutes::OnStore},
    {notify::kItemSelect, "keyset_system_combo", false, &KeyRoutes::OnStore},
    {notify::kItemSelect, "keyset_macro_combo", false, &KeyRoutes::OnStore},
    {notify::kItemSelect, "keyset_gunkey_combo", false, &KeyRoutes::OnStore},
    {notify::kItemSelect, "keyset_combokey_combo", false, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_mouseswing_num_edit", false, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_mouseswing_delay_edit", false, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_mouseswing_speed_edit", false, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_mousewheel_num_edit", false, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_mousewheel_delay_edit", false, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_mousewheel_speed_edit", false, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_mousefire_interval_edit", false, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_mousefire_num_edit", false, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_macro_cycle_edit", false, &KeyRoutes::OnStore},
};

KeyRoutes::KeyRoutes(const DevicePageSet& pages, EditState editState)
    : m_pages(pages), m_editState(std::move(editState)) {}

PageKeyAssignment* KeyRoutes::CurrentKeys() const {
    CKestrovaUSBDevice* page = m_pages.CurrentPage();
    if (page == nullptr ||
        (page->GetDeviceKind() != kKindKeyboard && page->GetDeviceKind() != kKindMouse &&
         page->GetDeviceKind() != kKindMouseSlowLink)) {
        return nullptr;
    }
    auto* host = dynamic_cast<KeyAssignmentPage*>(page);
    if (host == nullptr || host->KeyAssignment().Panel() == nullptr) {
        return nullptr;
    }
    return &host->KeyAssignment();
}

bool KeyRoutes::Dispatch(const TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        return false;
    }
    PageKeyAssignment* keys = CurrentKeys();
    if (keys == nullptr) {
        return false;
    }
    // Every page carries controls of the same names; only the current one's act.
    if (!keys->Page().GetWidget()->isAncestorOf(msg.pSender->GetWidget())) {
        return false;
    }
    const QString name = msg.pSender->GetName();
    const std::optional<ControlNameNumber> split = SplitControlNameNumber(name);
    for (const Route& route : kRoutes) {
        if (msg.sType != route.type) {
            continue;
        }
        int index = -1;
        if (route.indexed) {
            if (!split ||
                split->prefix.compare(QLatin1String(route.name), Qt::CaseInsensitive) != 0) {
                continue;
            }
            index = split->number;
        } else if (name.compare(QLatin1String(route.name), Qt::CaseInsensitive) != 0) {
            continue;
        }
        return (this->*route.handler)(msg, *keys, *keys->Panel(), index);
    }
    return false;
}

void KeyRoutes::Store(PageKeyAssignment& keys, CKeySetControlUI& panel) {
    if (!keys.Store(panel.ComposeCode())) {
        return;
    }
    panel.SetSaveButtonsEnabled(true);
    if (m_editState) {
        m_editState(false, false);
    }
}

bool KeyRoutes::OnKeyPick(const TNotifyUI&, PageKeyAssignment& keys, CKeySetControlUI&, int index) {
    // The mouse's pick goes through its own routes, which keep a left button on the mouse.
    if (keys.Page().GetFunctionTab() != kKeyTab || keys.Page().GetDeviceKind() != kKindKeyboard) {
        return false;
    }
    keys.Pick(index);
    return true;
}

bool KeyRoutes::OnFunction(const TNotifyUI&, PageKeyAssignment& keys, CKeySetControlUI& panel,
                           int) {
    panel.ShowSelectedFunction();
    Store(keys, panel);
    return true;
}

bool KeyRoutes::OnPlayMode(const TNotifyUI&, PageKeyAssignment& keys, CKeySetControlUI& panel,
                           int) {
    panel.ShowRepeatArea();
    Store(keys, panel);
    return true;
}

bool KeyRoutes::OnModifier(const TNotifyUI& msg, PageKeyAssignment& keys, CKeySetControlUI& panel,
                           int index) {
    // The box that was just cleared speaks too; only a choice stores.
    if (ModifierChosen(msg)) {
        panel.SetModifierOption(index);
        Store(keys, panel);
    }
    return true;
}

bool KeyRoutes::OnStore(const TNotifyUI&, PageKeyAssignment& keys, CKeySetControlUI& panel, int) {
    Store(keys, panel);
    return true;
}

bool KeyRoutes::OnDefault(const TNotifyUI&, PageKeyAssignment& keys, CKeySetControlUI& panel, int) {
    // The default shown is the default kept: the save button then writes what the panel shows.
    panel.ShowDefault();
    keys.Store(panel.Composer().Current());
    panel.SetSaveButtonsEnabled(true);
    if (m_editState) {
        m_editState(false, false);
    }
    return true;
}

bool KeyRoutes::OnCancel(const TNotifyUI&, PageKeyAssignment& keys, CKeySetControlUI& panel, int) {
    // Every choice was stored as it was made; cancel takes the key back to its code as loaded.
    panel.ShowLoaded();
    keys.Store(panel.Composer().Current());
    panel.SetSaveButtonsEnabled(false);
    if (m_editState) {
        m_editState(false, true);
    }
    return true;
}

bool KeyRoutes::OnSave(const TNotifyUI&, PageKeyAssignment& keys, CKeySetControlUI& panel, int) {
    keys.Save();
    panel.SetSaveButtonsEnabled(false);
    if (m_editState) {
        m_editState(false, true);
    }
    return true;
}

bool KeyRoutes::CaptureKey(const KeyRecord& key) {
    PageKeyAssignment* keys = CurrentKeys();
    CKeySetControlUI* panel = keys != nullptr ? keys->Panel() : nullptr;
    if (panel == nullptr || keys->Page().GetSelectedKey() < 0) {
        return false;
    }
    const int row = FindKeyScanRow(key.scanCode, key.extended);
    if (row < 0 || !panel->CaptureKey(row)) {
        return false;
    }
    Store(*keys, *panel);
    return true;
}

}  // namespace quaro
