#include "shell/KeyRoutes.h"

#include "device/CatalogueEntries.h"
#include "pages/CKestrovaKeyboardDevice.h"
#include "pages/ControlNameNumber.h"
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

CKestrovaKeyboardDevice* KeyRoutes::CurrentKeyboard() const {
    auto* page = dynamic_cast<CKestrovaKeyboardDevice*>(m_pages.CurrentPage());
    return page != nullptr && page->GetDeviceKind() == kKindKeyboard ? page : nullptr;
}

bool KeyRoutes::Dispatch(const TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        return false;
    }
    CKestrovaKeyboardDevice* page = CurrentKeyboard();
    if (page == nullptr || page->GetKeySetPanel() == nullptr) {
        return false;
    }
    // Every keyboard page carries controls of the same names; only the current one's act.
    if (!page->GetWidget()->isAncestorOf(msg.pSender->GetWidget())) {
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
        return (this->*route.handler)(msg, *page, *page->GetKeySetPanel(), index);
    }
    return false;
}

void KeyRoutes::Store(CKestrovaKeyboardDevice& page, CKeySetControlUI& panel) {
    if (!page.StoreKeyCode(panel.ComposeCode())) {
        return;
    }
    panel.SetSaveButtonsEnabled(true);
    if (m_editState) {
        m_editState(false, false);
    }
}

bool KeyRoutes::OnKeyPick(const TNotifyUI&, CKestrovaKeyboardDevice& page, CKeySetControlUI&,
                          int index) {
    if (page.GetFunctionTab() != kKeyTab) {
        return false;
    }
    page.PickKeyForAssignment(index);
    return true;
}

bool KeyRoutes::OnFunction(const TNotifyUI&, CKestrovaKeyboardDevice& page, CKeySetControlUI& panel,
                           int) {
    panel.ShowSelectedFunction();
    Store(page, panel);
    return true;
}

bool KeyRoutes::OnPlayMode(const TNotifyUI&, CKestrovaKeyboardDevice& page, CKeySetControlUI& panel,
                           int) {
    panel.ShowRepeatArea();
    Store(page, panel);
    return true;
}

bool KeyRoutes::OnModifier(const TNotifyUI& msg, CKestrovaKeyboardDevice& page,
                           CKeySetControlUI& panel, int index) {
    // The box that was just cleared speaks too; only a choice stores.
    if (ModifierChosen(msg)) {
        panel.SetModifierOption(index);
        Store(page, panel);
    }
    return true;
}

bool KeyRoutes::OnStore(const TNotifyUI&, CKestrovaKeyboardDevice& page, CKeySetControlUI& panel,
                        int) {
    Store(page, panel);
    return true;
}

bool KeyRoutes::OnDefault(const TNotifyUI&, CKestrovaKeyboardDevice& page, CKeySetControlUI& panel,
                          int) {
    // The default shown is the default kept: the save button then writes what the panel shows.
    panel.ShowDefault();
    page.StoreKeyCode(panel.Composer().Current());
    panel.SetSaveButtonsEnabled(true);
    if (m_editState) {
        m_editState(false, false);
    }
    return true;
}

bool KeyRoutes::OnCancel(const TNotifyUI&, CKestrovaKeyboardDevice& page, CKeySetControlUI& panel,
                         int) {
    // Every choice was stored as it was made; cancel takes the key back to its code as loaded.
    panel.ShowLoaded();
    page.StoreKeyCode(panel.Composer().Current());
    panel.SetSaveButtonsEnabled(false);
    if (m_editState) {
        m_editState(false, true);
    }
    return true;
}

bool KeyRoutes::OnSave(const TNotifyUI&, CKestrovaKeyboardDevice& page, CKeySetControlUI& panel,
                       int) {
    page.SaveKeysToKeyboard();
    panel.SetSaveButtonsEnabled(false);
    if (m_editState) {
        m_editState(false, true);
    }
    return true;
}

bool KeyRoutes::CaptureKey(const KeyRecord& key) {
    CKestrovaKeyboardDevice* page = CurrentKeyboard();
    CKeySetControlUI* panel = page != nullptr ? page->GetKeySetPanel() : nullptr;
    if (panel == nullptr || page->GetSelectedKey() < 0) {
        return false;
    }
    const int row = FindKeyScanRow(key.scanCode, key.extended);
    if (row < 0 || !panel->CaptureKey(row)) {
        return false;
    }
    Store(*page, *panel);
    return true;
}

}  // namespace quaro
