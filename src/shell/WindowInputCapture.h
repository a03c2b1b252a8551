#pragma once

#include "platform/InputCapture.h"

#include <QObject>

namespace quaro {

// Input capture for sessions whose display server reports no input of other clients (Wayland):
// the keys and buttons that reach this application's own windows, taken from Qt's events before
// any widget sees them. Its sinks run on the UI thread.
class WindowInputCapture : public QObject, public InputCapture {
public:
    WindowInputCapture() = default;
    ~WindowInputCapture() override;

    CaptureInstall Install(Sinks sinks) override;
    void Uninstall() override;
    bool IsInstalled() const override { return m_installed; }
    // Keys (but the lock keys) go to the sinks only, not to the window's widgets.
    bool WithholdKeys(bool withhold) override;

    // The record of a Qt event, or nothing for an event the capture does not report. Public so
    // that the event translation can be checked without a window system.
    static std::optional<KeyRecord> KeyRecordFromEvent(const QEvent& event);
    static std::optional<MouseRecord> MouseRecordFromEvent(const QEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Sinks m_sinks;
    bool m_installed = false;
    bool m_withheld = false;
};

}  // namespace quaro
