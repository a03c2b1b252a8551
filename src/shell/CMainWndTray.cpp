// The main window's tray icon and its menu: where the window goes when it is closed, and how it
// comes back.
#include "platform/Trace.h"
#include "shell/CMainWnd.h"
#include "shell/MainWindowResources.h"
#include "ui/MainMessages.h"
#include "ui/toolkit/CMenuWnd.h"
#include "ui/toolkit/CResourceManager.h"

#include <QMenu>

namespace quaro {

void CMainWnd::CreateTray() {
    m_tray.CreateTrayIcon(this, Resources().GetFilePath(kLogoFile),
                          QString::fromLatin1(kProductTitle), mainmsg::kTrayCallback);
    RebuildTrayMenu();
}

void CMainWnd::RebuildTrayMenu() {
    // The menu's texts are resolved when it is built, so a language change builds it again.
    m_tray.SetContextMenu(
        std::unique_ptr<QMenu>(CMenuWnd::BuildFor(kTrayMenuFile, this, Resources())));
}

void CMainWnd::TrayBecameAvailable() {
    if (m_tray.IsCreated()) {
        return;
    }
    Trace("tray available");
    m_services.trayAvailable = true;
    CreateTray();
}

void CMainWnd::HideToTray() {
    // Without a tray nothing could bring a hidden window back: it is minimised instead.
    if (m_services.trayAvailable) {
        hide();
    } else {
        showMinimized();
    }
}

void CMainWnd::OnTray(LPARAM mouseEvent) {
    if (mouseEvent == msg::kWmLButtonUp) {
        UpdateNoDeviceOverlay();
        if (m_settingsWindow) {
            m_settingsWindow->Close(0);
        }
        if (isVisible() && !isMinimized()) {
            hide();
        } else {
            show();
            Relayout();
            SendMessage(msg::kWmSysCommand, msg::kScRestore, 0);
            RaiseToFront();
            update();
        }
    } else if (mouseEvent == msg::kWmRButtonUp) {
        SetTimer(mainmsg::kTimerTrayMenu, 10);
    }
}

void CMainWnd::OnMenuCommand(WPARAM commandRecord) {
    if (commandRecord == 0) {
        return;
    }
    const MenuCmd command = *reinterpret_cast<const MenuCmd*>(commandRecord);
    if (command.szName.compare(u"exit", Qt::CaseInsensitive) == 0) {
        Exit();
        return;
    }
    if (command.szName.compare(u"show", Qt::CaseInsensitive) == 0) {
        // The tray menu's own way back to the window, for desktops whose tray eats left clicks.
        if (!isVisible() || isMinimized()) {
            OnTray(msg::kWmLButtonUp);
        }
        return;
    }
    // Other items belong to the macro action menu and go to the current page's macro panel.
    TraceFormat("menu %s", command.szName.toUtf8().constData());
    m_macroRoutes.OnMenuCommand(command.szName);
}

}  // namespace quaro
