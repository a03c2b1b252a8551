#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace quaro {

// Turns SIGTERM, SIGINT and SIGHUP (kill, Ctrl+C, the end of the session) into a call on the
// event loop, so the application leaves through its normal exit instead of being cut off. The
// handlers only write the signal's number into a socket pair; a notifier on the other end
// reads it on the UI thread.
class ExitSignals : public QObject {
public:
    using Handler = std::function<void(int signalNumber)>;

    // Installs the handlers. Needs no application object, so it can run before the display is
    // opened; a signal that arrives before Watch waits in the socket pair. False when the
    // socket pair or a handler could not be set up.
    static bool Install();
    // Restores the default handling of the three signals (the process is about to end).
    static void Uninstall();

    // Calls handler on the event loop for every signal received from now on (and any already
    // waiting). Needs an application object.
    explicit ExitSignals(Handler handler, QObject* parent = nullptr);
    ~ExitSignals() override;

private:
    void OnReadable();

    Handler m_handler;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace quaro
