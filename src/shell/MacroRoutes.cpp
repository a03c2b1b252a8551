#include "shell/MacroRoutes.h"

#include "device/CatalogueEntries.h"
#include "devices/keyboard/MacroMouseTable.h"
#include "pages/CKestrovaUSBDevice.h"
#include "pages/KeyAssignmentPage.h"
#include "pages/PageKeyAssignment.h"
#include "panels/keyset/CKeySetControlUI.h"
#include "panels/macro/CMacroControlUI.h"
#include "platform/Trace.h"
#include "shell/DevicePageSet.h"
#include "ui/MessageTexts.h"

#include <QFileDialog>

#include <array>
#include <utility>

namespace quaro {
namespace {

constexpr const char* kMacroFilter = "Macro Files(*.mac)";

// The first control of class T under root; our controls carry no meta-object of their own, so
// QObject's typed search cannot tell them apart.
template <class T>
T* FindControlOf(QWidget* root, const QString& name = QString()) {
    for (QWidget* widget : root->findChildren<QWidget*>(name)) {
        if (T* control = dynamic_cast<T*>(AsControl(widget))) {
            return control;
        }
    }
    return nullptr;
}

bool Named(const QString& name, const char* expected, bool caseSensitive = false) {
    return name.compare(QLatin1String(expected),
                        caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
}

// Menu items that insert pointer button events: the down message, the up message, the extra
// button variant.
struct ButtonItem {
    const char* prefix;
    unsigned down;
    unsigned up;
    int variant;
};
constexpr std::array<ButtonItem, 5> kButtonItems = {{
    {"left", mouse_message::kLeftDown, mouse_message::kLeftUp, 0},
    {"right", mouse_message::kRightDown, mouse_message::kRightUp, 0},
    {"middle", mouse_message::kMiddleDown, mouse_message::kMiddleUp, 0},
    {"forward", mouse_message::kExtraDown, mouse_message::kExtraUp, 0},
    {"back", mouse_message::kExtraDown, mouse_message::kExtraUp, 1},
}};

// Menu items that record around the selected row: record mode (0: by "macro_check_time"), hook
// mode.
struct RecordItem {
    const char* name;
    int recordMode;
    int hookMode;
};
constexpr std::array<RecordItem, 7> kRecordItems = {{
    {"redio_previous_record_time", 0, hookmode::kMacroPrevious},
    {"redio_previous_constant_time", MacroRecorder::kConstantDelay, hookmode::kMacroPrevious},
    {"redio_previous_ignore_time", MacroRecorder::kNoDelay, hookmode::kMacroPrevious},
    {"redio_later_record_time", 0, hookmode::kMacroLater},
    {"redio_later_constant_time", MacroRecorder::kConstantDelay, hookmode::kMacroLater},
    {"redio_later_ignore_time", MacroRecorder::kNoDelay, hookmode::kMacroLater},
    {"macro_action_edit", MacroRecorder::kNoDelay, hookmode::kMacroSingle},
}};

// The hook's macro messages: the placement each one records at, and whether it carries keys.
struct HookRoute {
    const char* message;
    MacroPlacement placement;
    bool keys;
};
constexpr std::array<HookRoute, 8> kHookRoutes = {{
    {hookmsg::kKeyboardMacro, MacroPlacement::kAppend, true},
    {hookmsg::kKeyboardMacroPrevious, MacroPlacement::kBefore, true},
    {hookmsg::kKeyboardMacroLater, MacroPlacement::kAfter, true},
    {hookmsg::kKeyboardMacroSingle, MacroPlacement::kReplace, true},
    {hookmsg::kMouseMacro, MacroPlacement::kAppend, false},
    {hookmsg::kMouseMacroPrevious, MacroPlacement::kBefore, false},
    {hookmsg::kMouseMacroLater, MacroPlacement::kAfter, false},
    {hookmsg::kMouseMacroSingle, MacroPlacement::kReplace, false},
}};

}  // namespace

const RouteTable<MacroRoutes::Handler> MacroRoutes::kRoutes = {
    {notify::kClick, "macro_btn_starredio", RouteMatch::kExact, &MacroRoutes::OnStart},
    {notify::kClick, "macro_btn_stopredio", RouteMatch::kExact, &MacroRoutes::OnStop},
    {notify::kClick, "macro_btn_name_add", RouteMatch::kExact, &MacroRoutes::OnAdd},
    {notify::kClick, "macro_btn_name_sub", RouteMatch::kExact, &MacroRoutes::OnDelete},
    {notify::kClick, "macro_btn_name_edit", RouteMatch::kExact, &MacroRoutes::OnRename},
    {notify::kClick, "macro_btn_save", RouteMatch::kExact, &MacroRoutes::OnSave},
    {notify::kClick, "macro_btn_cancel", RouteMatch::kExact, &MacroRoutes::OnCancel},
    {notify::kClick, "macro_btn_export", RouteMatch::kExact, &MacroRoutes::OnExport},
    {notify::kClick, "macro_btn_import", RouteMatch::kExact, &MacroRoutes::OnImport},
    {notify::kClick, "macro_btn_up", RouteMatch::kExact, &MacroRoutes::OnEventButton},
    {notify::kClick, "macro_btn_down", RouteMatch::kExact, &MacroRoutes::OnEventButton},
    {notify::kClick, "macro_btn_uptop", RouteMatch::kExact, &MacroRoutes::OnEventButton},
    {notify::kClick, "macro_btn_downbottom", RouteMatch::kExact, &MacroRoutes::OnEventButton},
    {notify::kClick, "macro_btn_delete", RouteMatch::kExact, &MacroRoutes::OnEventButton},
    {notify::kClick, "macro_btn_deleteall", RouteMatch::kExact, &MacroRoutes::OnEventButton},
    {notify::kClick, "macro_inset_moveleftkey_btn", RouteMatch::kCased, &MacroRoutes::OnInsertMove},
    {notify::kClick, "macro_inset_moverightkey_btn", RouteMatch::kCased,
     &MacroRoutes::OnInsertMove},
    {notify::kClick, "macro_inset_moveupkey_btn", RouteMatch::kCased, &MacroRoutes::OnInsertMove},
    {notify::kClick, "macro_inset_movedownkey_btn", RouteMatch::kCased, &MacroRoutes::OnInsertMove},
    {notify::kItemSelect, "macro_name_list", RouteMatch::kExact, &MacroRoutes::OnMacroChosen},
    {notify::kKillFocus, "macro_delay", RouteMatch::kExact, &MacroRoutes::OnSave},
    {notify::kTextChanged, "macro_fixed_time_edit", RouteMatch::kExact,
     &MacroRoutes::OnConstantDelay},
};

MacroRoutes::MacroRoutes(const DevicePageSet& pages, Host host)
    : m_pages(pages), m_host(std::move(host)) {}

CMacroControlUI* MacroRoutes::CurrentPanel() const {
    CKestrovaUSBDevice* page = m_pages.CurrentPage();
    if (page == nullptr ||
        (page->GetDeviceKind() != kKindKeyboard && page->GetDeviceKind() != kKindMouse &&
         page->GetDeviceKind() != kKindMouseSlowLink)) {
        return nullptr;
    }
    return FindControlOf<CMacroControlUI>(page, QStringLiteral("MacroControlItem"));
}

bool MacroRoutes::Dispatch(const TNotifyUI& msg) {
    CMacroControlUI* panel = CurrentPanel();
    return kRoutes.Dispatch(msg, panel, [&](Handler handler, int) {
        (this->*handler)(msg, *panel);
        return true;
    });
}

void MacroRoutes::StartRecording(CMacroControlUI& panel, int recordMode, int hookMode) {
    if (recordMode == 0) {
        recordMode = panel.IsConstantDelayChosen() ? MacroRecorder::kConstantDelay
                                                   : MacroRecorder::kRealGaps;
    }
    panel.StartRecording(recordMode);
    // A capture that cannot start is traced by the hook; the stop button still unlocks.
    if (m_host.installHook && !m_host.installHook(hookMode)) {
        Trace("macro recording has no input capture");
    }
    if (m_host.editState) {
        m_host.editState(true, false);
    }
}

void MacroRoutes::OnStart(const TNotifyUI&, CMacroControlUI& panel) {
    StartRecording(panel, 0, hookmode::kMacro);
}

void MacroRoutes::OnStop(const TNotifyUI&, CMacroControlUI& panel) {
    panel.StopRecording();
    if (m_host.uninstallHook) {
        m_host.uninstallHook();
    }
    if (m_host.editState) {
        m_host.editState(true, true);
    }
    panel.SaveSelectedMacro();
}

void MacroRoutes::MacroListChanged(CKestrovaUSBDevice& page, CMacroControlUI& panel) {
    if (auto* keys = FindControlOf<CKeySetControlUI>(&page)) {
        keys->SetMacroNames(panel.MacroNames());
    }
    page.RefreshKeyAssignmentList();
}

void MacroRoutes::OnAdd(const TNotifyUI&, CMacroControlUI& panel) {
    if (!panel.AddMacro().isEmpty()) {
        MacroListChanged(*m_pages.CurrentPage(), panel);
    }
}

void MacroRoutes::OnDelete(const TNotifyUI&, CMacroControlUI& panel) {
    if (!m_host.confirm || !m_host.confirm(msgtext::kConfirmMacroDelete)) {
        return;
    }
    const int macro = panel.GetSelectedMacro();
    if (macro < 0) {
        return;
    }
    CKestrovaUSBDevice& page = *m_pages.CurrentPage();
    auto* host = dynamic_cast<KeyAssignmentPage*>(&page);
    PageKeyAssignment* keys = host != nullptr ? &host->KeyAssignment() : nullptr;
    if (keys != nullptr && keys->PlaysMacro(macro) && !m_host.confirm(msgtext::kMacroInUse)) {
        return;
    }
    // The keys follow only a deletion that happened: a library that could not be written still
    // holds the macro, and its keys must keep pointing at it.
    if (panel.DeleteMacro() < 0) {
        return;
    }
    const bool keysChanged = keys != nullptr && keys->ForgetMacro(macro);
    MacroListChanged(page, panel);
    if (keysChanged) {
        keys->Save();
    }
}

void MacroRoutes::OnRename(const TNotifyUI&, CMacroControlUI& panel) {
    const auto [name, index] = panel.RenameMacro();
    // An empty edit and a name in use are both refused with the same message.
    if (name == u"IsEmpty" || (index >= 0 && name.isEmpty())) {
        if (m_host.tell) {
            m_host.tell(msgtext::kNameRefused);
        }
        return;
    }
    if (index >= 0) {
        MacroListChanged(*m_pages.CurrentPage(), panel);
    }
}

void MacroRoutes::OnSave(const TNotifyUI&, CMacroControlUI& panel) {
    panel.SaveSelectedMacro();
}

void MacroRoutes::OnCancel(const TNotifyUI&, CMacroControlUI& panel) {
    panel.LoadSelectedMacro();
}

void MacroRoutes::OnExport(const TNotifyUI&, CMacroControlUI& panel) {
    if (panel.GetSelectedMacro() < 0 || !m_host.chooseExport) {
        return;
    }
    panel.ExportSelectedMacro(m_host.chooseExport());
}

void MacroRoutes::OnImport(const TNotifyUI&, CMacroControlUI& panel) {
    if (!m_host.chooseImport) {
        return;
    }
    if (!panel.ImportMacro(m_host.chooseImport()).isEmpty()) {
        MacroListChanged(*m_pages.CurrentPage(), panel);
    }
}

void MacroRoutes::OnEventButton(const TNotifyUI& msg, CMacroControlUI& panel) {
    const QString name = msg.pSender->GetName();
    if (Named(name, "macro_btn_up")) {
        panel.MoveActionUp();
    } else if (Named(name, "macro_btn_down")) {
        panel.MoveActionDown();
    } else if (Named(name, "macro_btn_uptop")) {
        panel.MoveActionTop();
    } else if (Named(name, "macro_btn_downbottom")) {
        panel.MoveActionBottom();
    } else if (Named(name, "macro_btn_delete")) {
        panel.DeleteAction();
    } else {
        panel.DeleteAllActions();
    }
    panel.SaveSelectedMacro();
}

void MacroRoutes::OnInsertMove(const TNotifyUI& msg, CMacroControlUI& panel) {
    static constexpr std::array<const char*, 4> kButtons = {
        "macro_inset_moveleftkey_btn", "macro_inset_moverightkey_btn", "macro_inset_moveupkey_btn",
        "macro_inset_movedownkey_btn"};
    for (int variant = 0; variant < static_cast<int>(kButtons.size()); ++variant) {
        if (Named(msg.pSender->GetName(), kButtons[static_cast<std::size_t>(variant)], true)) {
            panel.InsertMouseEvent(mouse_message::kMove, variant);
        }
    }
    panel.SaveSelectedMacro();
}

void MacroRoutes::OnMacroChosen(const TNotifyUI&, CMacroControlUI& panel) {
    panel.LoadSelectedMacro();
}

void MacroRoutes::OnConstantDelay(const TNotifyUI&, CMacroControlUI& panel) {
    panel.TakeConstantDelay();
}

bool MacroRoutes::OnMenuCommand(const QString& item) {
    CMacroControlUI* panel = CurrentPanel();
    if (panel == nullptr) {
        return false;
    }
    for (const RecordItem& record : kRecordItems) {
        if (Named(item, record.name)) {
            StartRecording(*panel, record.recordMode, record.hookMode);
            return true;
        }
    }
    for (const ButtonItem& button : kButtonItems) {
        const QString prefix = QLatin1String(button.prefix);
        const bool down = item.compare(prefix + QStringLiteral("_down"), Qt::CaseInsensitive) == 0;
        const bool up = item.compare(prefix + QStringLiteral("_up"), Qt::CaseInsensitive) == 0;
        const bool click =
            item.compare(prefix + QStringLiteral("_click"), Qt::CaseInsensitive) == 0;
        if (!down && !up && !click) {
            continue;
        }
        if (down || click) {
            panel->InsertMouseEvent(button.down, button.variant);
        }
        if (up || click) {
            panel->InsertMouseEvent(button.up, button.variant);
        }
        panel->SaveSelectedMacro();
        return true;
    }
    return false;
}

bool MacroRoutes::OnHookDelivery(const HookDelivery& delivery) {
    for (const HookRoute& route : kHookRoutes) {
        if (delivery.message != HookMessageNumber(route.message)) {
            continue;
        }
        // Dropped while no keyboard or mouse page shows its editor.
        CMacroControlUI* panel = CurrentPanel();
        if (panel == nullptr) {
            return true;
        }
        const auto message = static_cast<unsigned>(delivery.wParam);
        if (route.keys) {
            if (const auto* key = std::get_if<KeyRecord>(&delivery.record)) {
                panel->OnKeyEvent(route.placement, message, *key);
            }
        } else if (const auto* mouse = std::get_if<MouseRecord>(&delivery.record)) {
            panel->OnMouseEvent(route.placement, message, *mouse);
        }
        return true;
    }
    return false;
}

std::filesystem::path MacroRoutes::ChooseMacroFile(QWidget* owner, bool save) {
    QFileDialog dialog(owner != nullptr ? owner->window() : nullptr);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(QLatin1String(kMacroFilter));
    dialog.setDefaultSuffix(QStringLiteral("mac"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return std::filesystem::path(dialog.selectedFiles().constFirst().toStdString());
}

}  // namespace quaro
