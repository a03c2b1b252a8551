#include "app/TrayWatcher.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>

namespace quaro {

TrayWatcher::TrayWatcher(Probe probe, std::function<void()> appeared, int pollMs, QObject* parent)
    : QObject(parent), m_probe(std::move(probe)), m_appeared(std::move(appeared)) {
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Check(); });
    m_timer.start(pollMs);
    // Desktops whose trays speak the status-notifier protocol announce their host on the bus.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        auto* watcher =
            new QDBusServiceWatcher(QStringLiteral("org.kde.StatusNotifierWatcher"), bus,
                                    QDBusServiceWatcher::WatchForRegistration, this);
        // The host may register its watcher a moment before it takes icons: look once it has.
        QObject::connect(watcher, &QDBusServiceWatcher::serviceRegistered, this,
                         [this] { QTimer::singleShot(0, this, [this] { Check(); }); });
    }
}

void TrayWatcher::Check() {
    if (!m_timer.isActive() || !m_probe()) {
        return;
    }
    m_timer.stop();
    if (m_appeared) {
        m_appeared();
    }
}

}  // namespace quaro
