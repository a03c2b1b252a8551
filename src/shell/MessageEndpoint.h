#pragma once

#include "ui/toolkit/UIDefs.h"

#include <QByteArray>
#include <QLockFile>
#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace quaro {

// The single-instance guard and the application's door for other processes. The running copy
// holds a lock file and listens on a per-user local socket; another process connects and sends
// "POST <message name> <wParam> <lParam>" lines. Every connected process also hears the
// application's broadcasts as "<message name> <wParam> <lParam>" lines. Taking the guard and
// sending to the running copy are plain code: they work before any application object exists,
// so a second copy is turned away before anything needs a display. The socket is a plain one
// watched by the event loop: a network module would cost the process more memory than the
// rest of this door together.
class MessageEndpoint : public QObject {
public:
    using Receiver = std::function<void(const QString& name, WPARAM wParam, LPARAM lParam)>;

    // Longest line accepted from a peer; a peer that sends more is disconnected.
    static constexpr int kMaxLineBytes = 512;
    // Broadcast bytes a peer may leave unread; one that falls further behind is disconnected
    // rather than let the application's memory grow for it.
    static constexpr int kMaxUnreadBytes = 64 * 1024;

    explicit MessageEndpoint(QString socketPath, QObject* parent = nullptr);
    ~MessageEndpoint() override;

    // $XDG_RUNTIME_DIR/MIREL_QUARO, or MIREL_QUARO-<uid> in the temporary folder.
    static QString DefaultSocketPath();

    // Takes the single-instance guard for the socket path; null when another copy holds it.
    static std::unique_ptr<QLockFile> TakeGuard(const QString& socketPath);

    enum class StartResult { Listening, AlreadyRunning, Failed };
    // Listens, taking the guard first unless one was handed over. The socket is open to this
    // user only.
    StartResult Listen(std::unique_ptr<QLockFile> guard = nullptr);
    void SetReceiver(Receiver receiver) { m_receiver = std::move(receiver); }
    // Sends the message to every connected peer.
    void Broadcast(const QString& name, WPARAM wParam, LPARAM lParam);
    int ListenerCount() const { return static_cast<int>(m_peers.size()); }

    // Client side: delivers one message to the running copy. False when none answers within
    // timeoutMs; with waitForListener, a copy that holds the guard but does not listen yet
    // (it is still starting) is given that time to begin.
    static bool SendToRunning(const QString& socketPath, const QString& name, WPARAM wParam,
                              LPARAM lParam, int timeoutMs = 2000, bool waitForListener = false);

    // One "POST name w l" line; false when malformed.
    static bool ParsePost(const QByteArray& line, QString& name, WPARAM& wParam, LPARAM& lParam);

private:
    struct Peer;

    void AcceptPending();
    void ReadFrom(Peer* peer);
    // Sends what the peer still owes; false when the peer had to be dropped.
    bool FlushTo(Peer* peer);
    void Drop(Peer* peer);
    bool Holds(const Peer* peer) const;
    void CloseListener();

    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    int m_listener = -1;
    std::unique_ptr<QSocketNotifier> m_acceptNotifier;
    std::vector<std::unique_ptr<Peer>> m_peers;
    Receiver m_receiver;
};

}  // namespace quaro
