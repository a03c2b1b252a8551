#include "app/SleepWatcher.h"

#include "ui/toolkit/UIDefs.h"

#include <QDBusConnection>

namespace quaro {

SleepWatcher::SleepWatcher(HWND window, QObject* parent)
    : QObject(parent), m_window(std::move(window)) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected()) {
        m_watching = bus.connect(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
            this, SLOT(OnPrepareForSleep(bool)));
    }
}

void SleepWatcher::OnPrepareForSleep(bool sleeping) {
    m_window->Post(msg::kWmPowerBroadcast,
                   sleeping ? msg::kPbtApmSuspend : msg::kPbtApmResumeAutomatic, 0);
}

}  // namespace quaro
