#include "shell/CTrayIcon.h"

#include "ui/toolkit/CWindowWnd.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace quaro {

CTrayIcon::CTrayIcon() = default;

CTrayIcon::~CTrayIcon() {
    DeleteTrayIcon();
}

bool CTrayIcon::IsAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void CTrayIcon::CreateTrayIcon(CWindowWnd* window, const QString& iconFile, const QString& tip,
                               unsigned callbackMessage) {
    m_icon = std::make_unique<QSystemTrayIcon>(QIcon(iconFile));
    m_icon->setToolTip(tip);
    m_icon->setContextMenu(m_menu.get());
    QPointer<CWindowWnd> target(window);
    QSystemTrayIcon* icon = m_icon.get();
    QObject::connect(
        icon, &QSystemTrayIcon::activated, icon,
        [target, callbackMessage, icon](QSystemTrayIcon::ActivationReason reason) {
            if (!target) {
                return;
            }
            if (reason == QSystemTrayIcon::Trigger) {
                target->SendMessage(callbackMessage, 0, msg::kWmLButtonUp);
            } else if (reason == QSystemTrayIcon::Context && icon->contextMenu() == nullptr) {
                target->SendMessage(callbackMessage, 0, msg::kWmRButtonUp);
            }
        });
    m_icon->show();
}

void CTrayIcon::SetContextMenu(std::unique_ptr<QMenu> menu) {
    if (m_icon) {
        m_icon->setContextMenu(menu.get());
    }
    m_menu = std::move(menu);
}

void CTrayIcon::DeleteTrayIcon() {
    // The icon goes first: it must not point at a menu that is already gone.
    m_icon.reset();
}

}  // namespace quaro
