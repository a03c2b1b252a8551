#pragma once

#include "ui/toolkit/WindowHandle.h"

#include <QObject>

namespace quaro {

// Turns the login manager's sleep notices into the power messages the main window handles:
// suspend before the machine sleeps, resume after it wakes. Without a system bus (containers,
// tests) it simply never reports.
class SleepWatcher : public QObject {
    Q_OBJECT

public:
    explicit SleepWatcher(HWND window, QObject* parent = nullptr);
    bool IsWatching() const { return m_watching; }

public slots:
    void OnPrepareForSleep(bool sleeping);

private:
    HWND m_window;
    bool m_watching = false;
};

}  // namespace quaro
