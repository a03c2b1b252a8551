#include "shell/KeyRoutes.h"

#include "device/CatalogueEntries.h"
#include "pages/CKestrovaUSBDevice.h"
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

const RouteTable<KeyRoutes::Handler> KeyRoutes::kRoutes = {
    {notify::kClick, "key_", RouteMatch::kIndexed, &KeyRoutes::OnKeyPick},
    {notify::kClick, "key_butt_keysave", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kClick, "key_butt_keydefalut", RouteMatch::kExact, &KeyRoutes::OnDefault},
    {notify::kClick, "key_butt_keycancel", RouteMatch::kExact, &KeyRoutes::OnCancel},
    {notify::kClick, "key_butt_prosave", RouteMatch::kExact, &KeyRoutes::OnSave},
    {notify::kSelectChanged, "key_ComBox_check_", RouteMatch::kIndexed, &KeyRoutes::OnModifier},
    {notify::kItemSelect, "keyset_function_combo", RouteMatch::kExact, &KeyRoutes::OnFunction},
    {notify::kItemSelect, "keyset_macro_over_combo", RouteMatch::kExact, &KeyRoutes::OnPlayMode},
    {notify::kItemSelect, "keyset_mousekey_combo", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kItemSelect, "keyset_mouseswing_combo", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kItemSelect, "keyset_mousewheel_combo", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kItemSelect, "keyset_mousedpi_combo", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kItemSelect, "keyset_media_combo", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kItemSelect, "keyset_system_combo", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kItemSelect, "keyset_macro_combo", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kItemSelect, "keyset_gunkey_combo", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kItemSelect, "keyset_combokey_combo", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_mouseswing_num_edit", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_mouseswing_delay_edit", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_mouseswing_speed_edit", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_mousewheel_num_edit", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_mousewheel_delay_edit", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_mousewheel_speed_edit", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_mousefire_interval_edit", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_mousefire_num_edit", RouteMatch::kExact, &KeyRoutes::OnStore},
    {notify::kKillFocus, "keyset_macro_cycle_edit", RouteMatch::kExact, &KeyRoutes::OnStore},
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
    PageKeyAssignment* keys = CurrentKeys();
    const CControlUI* scope = keys != nullptr ? &keys->Page() : nullptr;
    return kRoutes.Dispatch(msg, scope, [&](Handler handler, int index) {
        return (this->*handler)(msg, *keys, *keys->Panel(), index);
    });
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
