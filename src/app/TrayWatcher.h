#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace quaro {

// Notices a notification-area tray that appears after start (a session that autostarts the
// application before its panel) and reports it once. A tray host that registers on the session
// bus is seen at once; others are found by a slow look every kPollMs, which ends with the find.
class TrayWatcher : public QObject {
public:
    static constexpr int kPollMs = 3000;
    using Probe = std::function<bool()>;

    // probe: whether a tray is there now; appeared: called once, on the event loop, when it is.
    TrayWatcher(Probe probe, std::function<void()> appeared, int pollMs = kPollMs,
                QObject* parent = nullptr);
    bool IsWatching() const { return m_timer.isActive(); }

private:
    void Check();

    Probe m_probe;
    std::function<void()> m_appeared;
    QTimer m_timer;
};

}  // namespace quaro
