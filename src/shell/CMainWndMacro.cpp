#include "shell/CMainWnd.h"
#include "ui/CMsgWnd.h"

namespace quaro {

MacroRoutes::Host CMainWnd::MacroHost() {
    MacroRoutes::Host host;
    host.confirm = [this](const char* id) {
        return CMsgWnd::ShowMessage(Resources(), this, QString(), QLatin1String(id), GetDpi(), true,
                                    1) == 1;
    };
    host.tell = [this](const char* id) { ShowRouteMessage(id); };
    host.editState = [this](bool lockTabs, bool idle) { SetEditState(lockTabs, idle); };
    host.chooseExport = [this] { return MacroRoutes::ChooseMacroFile(this, true); };
    host.chooseImport = [this] { return MacroRoutes::ChooseMacroFile(this, false); };
    // Recording takes keys and pointer buttons alike, as every recording mode does.
    host.installHook = [this](int mode) { return Hook().Install(mode, true, true); };
    host.uninstallHook = [this] { Hook().Uninstall(); };
    return host;
}

}  // namespace quaro
