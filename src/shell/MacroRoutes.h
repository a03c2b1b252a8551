#pragma once

#include "devices/keyboard/MacroRecorder.h"
#include "shell/CDeviceHook.h"
#include "shell/RouteTable.h"
#include "ui/toolkit/UIDefs.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <utility>

class QWidget;

namespace quaro {

class CKestrovaUSBDevice;
class CMacroControlUI;
class DevicePageSet;

// What the macro editor's controls, the macro action menu and the recording hook do, by control
// name, item name or hook message, when the current page is a keyboard or a mouse with a macro
// editor: the library (add, delete with the keys that play the macro, rename, import, export),
// the events (save, discard, moves, deletes, inserted pointer events) and recording.
//
// Threads: the UI thread only; device writes go to the page's driver worker.
class MacroRoutes {
public:
    struct Host {
        // A message box with OK and Cancel for a language id; true for OK.
        std::function<bool(const char* id)> confirm;
        // A plain message box for a language id.
        std::function<void(const char* id)> tell;
        // The recording hook on in a hook mode (keys and pointer buttons), and off.
        std::function<bool(int mode)> installHook;
        std::function<void()> uninstallHook;
        // The window's edit state (CMainWnd::SetEditState).
        std::function<void(bool lockTabs, bool idle)> editState;
        // ".mac" files chosen by the user; empty when the user gave none.
        std::function<std::filesystem::path()> chooseExport;
        std::function<std::filesystem::path()> chooseImport;
    };

    MacroRoutes(const DevicePageSet& pages, Host host);

    // Other message boxes and another recording hook than the window's (tests; a window whose
    // hook comes later).
    void SetMessageBoxes(std::function<bool(const char*)> confirm,
                         std::function<void(const char*)> tell) {
        m_host.confirm = std::move(confirm);
        m_host.tell = std::move(tell);
    }
    void SetHookSwitch(std::function<bool(int)> install, std::function<void()> uninstall) {
        m_host.installHook = std::move(install);
        m_host.uninstallHook = std::move(uninstall);
    }

    // True when a macro route took the notification.
    bool Dispatch(const TNotifyUI& msg);
    // An item of the macro action menu; true when it was one.
    bool OnMenuCommand(const QString& item);
    // A delivery of the recording hook (the keyboard and mouse macro messages); true when it
    // was one of them.
    bool OnHookDelivery(const HookDelivery& delivery);

    // The macro editor of the current page, when it is a keyboard or a mouse; else null.
    CMacroControlUI* CurrentPanel() const;

    // Asks for a ".mac" file in a file dialog owned by owner's window.
    static std::filesystem::path ChooseMacroFile(QWidget* owner, bool save);

private:
    using Handler = void (MacroRoutes::*)(const TNotifyUI& msg, CMacroControlUI& panel);
    static const RouteTable<Handler> kRoutes;

    void OnStart(const TNotifyUI& msg, CMacroControlUI& panel);
    void OnStop(const TNotifyUI& msg, CMacroControlUI& panel);
    void OnAdd(const TNotifyUI& msg, CMacroControlUI& panel);
    void OnDelete(const TNotifyUI& msg, CMacroControlUI& panel);
    void OnRename(const TNotifyUI& msg, CMacroControlUI& panel);
    void OnSave(const TNotifyUI& msg, CMacroControlUI& panel);
    void OnCancel(const TNotifyUI& msg, CMacroControlUI& panel);
    void OnExport(const TNotifyUI& msg, CMacroControlUI& panel);
    void OnImport(const TNotifyUI& msg, CMacroControlUI& panel);
    void OnEventButton(const TNotifyUI& msg, CMacroControlUI& panel);
    void OnInsertMove(const TNotifyUI& msg, CMacroControlUI& panel);
    void OnMacroChosen(const TNotifyUI& msg, CMacroControlUI& panel);
    void OnConstantDelay(const TNotifyUI& msg, CMacroControlUI& panel);

    // Record mode and hook mode: the panel records, the hook goes on, the tabs lock.
    void StartRecording(CMacroControlUI& panel, int recordMode, int hookMode);
    // The key assignment panel and the page learn the new macro list.
    void MacroListChanged(CKestrovaUSBDevice& page, CMacroControlUI& panel);

    const DevicePageSet& m_pages;
    Host m_host;
};

}  // namespace quaro
