#pragma once

#include <QPointer>
#include <QString>

#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace quaro {

class CWindowWnd;

// The notification-area icon. A left click reaches the window as the callback message with
// lParam 514 (left button up). The right click opens the icon's own context menu, shown by the
// desktop where it stands (a pointer position is not known on every desktop); without one it
// reaches the window as lParam 517 (right button up).
class CTrayIcon {
public:
    CTrayIcon();
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Whether the desktop shows tray icons at all.
    static bool IsAvailable();

    void CreateTrayIcon(CWindowWnd* window, const QString& iconFile, const QString& tip,
                        unsigned callbackMessage);
    void DeleteTrayIcon();
    bool IsCreated() const { return m_icon != nullptr; }
    // The menu the icon opens on a right click; replaces (and deletes) the previous one.
    void SetContextMenu(std::unique_ptr<QMenu> menu);
    QMenu* GetContextMenu() const { return m_menu.get(); }

private:
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_icon;
};

}  // namespace quaro
