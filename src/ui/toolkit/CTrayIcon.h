#pragma once

#include <QPointer>
#include <QString>

#include <memory>

class QSystemTrayIcon;

namespace quaro {

class CWindowWnd;

// The notification-area icon. Left and right clicks reach the window as the callback message
// with lParam 514 (left button up) or 517 (right button up).
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

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
};

}  // namespace quaro
