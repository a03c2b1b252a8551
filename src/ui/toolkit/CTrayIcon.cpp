#include "ui/toolkit/CTrayIcon.h"

#include "ui/toolkit/CWindowWnd.h"

#include <QSystemTrayIcon>

namespace quaro {

CTrayIcon::CTrayIcon() = default;

CTrayIcon::~CTrayIcon() = default;

bool CTrayIcon::IsAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void CTrayIcon::CreateTrayIcon(CWindowWnd* window, const QString& iconFile, const QString& tip,
                               unsigned callbackMessage) {
    m_icon = std::make_unique<QSystemTrayIcon>(QIcon(iconFile));
    m_icon->setToolTip(tip);
    QPointer<CWindowWnd> target(window);
    QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, m_icon.get(),
                     [target, callbackMessage](QSystemTrayIcon::ActivationReason reason) {
                         if (!target) {
                             return;
                         }
                         if (reason == QSystemTrayIcon::Trigger) {
                             target->SendMessage(callbackMessage, 0, msg::kWmLButtonUp);
                         } else if (reason == QSystemTrayIcon::Context) {
                             target->SendMessage(callbackMessage, 0, msg::kWmRButtonUp);
                         }
                     });
    m_icon->show();
}

void CTrayIcon::DeleteTrayIcon() {
    m_icon.reset();
}

}  // namespace quaro
