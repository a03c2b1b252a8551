#include "shell/MessageEndpoint.h"

#include "platform/EndpointClient.h"
#include "platform/Trace.h"
#include "platform/UniqueFd.h"
#include "ui/RegisteredMessages.h"

#include <QFile>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace quaro {

struct MessageEndpoint::Peer {
    // Declared first, so closed after the notifiers watching it are gone.
    UniqueFd fd;
    QByteArray input;
    QByteArray output;
    std::unique_ptr<QSocketNotifier> reader;
    std::unique_ptr<QSocketNotifier> writer;
};

namespace {

// A notifier may be the one whose signal is being delivered: it goes at the next turn of the
// event loop, quiet until then.
void Retire(std::unique_ptr<QSocketNotifier>& notifier) {
    if (notifier) {
        notifier->setEnabled(false);
        notifier.release()->deleteLater();
    }
}

}  // namespace

MessageEndpoint::MessageEndpoint(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)) {}

MessageEndpoint::~MessageEndpoint() {
    // No notifier is delivering a signal now, and the event loop may be gone: they go at once.
    m_peers.clear();
    m_acceptNotifier.reset();
    CloseListener();
    if (m_lock) {
        m_lock->unlock();
    }
}

QString MessageEndpoint::DefaultSocketPath() {
    return QFile::decodeName(MessageEndpointPath().c_str());
}

std::unique_ptr<QLockFile> MessageEndpoint::TakeGuard(const QString& socketPath) {
    auto lock = std::make_unique<QLockFile>(socketPath + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);  // a lock is stale only when its process is gone
    if (!lock->tryLock(0)) {
        return nullptr;
    }
    return lock;
}

MessageEndpoint::StartResult MessageEndpoint::Listen(std::unique_ptr<QLockFile> guard) {
    m_lock = guard ? std::move(guard) : TakeGuard(m_socketPath);
    if (!m_lock) {
        return StartResult::AlreadyRunning;
    }
    const QByteArray path = QFile::encodeName(m_socketPath);
    const std::optional<sockaddr_un> address = EndpointAddress(path.toStdString());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    bool listening = fd >= 0 && address.has_value();
    if (listening) {
        // We hold the guard, so a socket file left behind is from a copy that ended abnormally.
        ::unlink(path.constData());
        // The socket file takes the socket's mode when it is bound: closed to other users from
        // its first moment, in a shared temporary folder too.
        listening =
            ::fchmod(fd, S_IRUSR | S_IWUSR) == 0 &&
            ::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) == 0 &&
            ::chmod(path.constData(), S_IRUSR | S_IWUSR) == 0 && ::listen(fd, 16) == 0;
    }
    if (!listening) {
        TraceFormat("MessageEndpoint: cannot listen on %s (%s)", path.constData(),
                    std::strerror(errno));
        if (fd >= 0) {
            ::close(fd);
        }
        return StartResult::Failed;
    }
    m_listener = fd;
    m_acceptNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(m_acceptNotifier.get(), &QSocketNotifier::activated, this,
                     [this] { AcceptPending(); });
    return StartResult::Listening;
}

void MessageEndpoint::CloseListener() {
    if (m_listener < 0) {
        return;
    }
    Retire(m_acceptNotifier);
    ::close(m_listener);
    m_listener = -1;
    ::unlink(QFile::encodeName(m_socketPath).constData());
}

void MessageEndpoint::AcceptPending() {
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            return;  // EAGAIN: no one else is waiting; anything else is retried on the next call
        }
        auto peer = std::make_unique<Peer>();
        peer->fd.Reset(fd);
        peer->reader = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        Peer* raw = peer.get();
        QObject::connect(peer->reader.get(), &QSocketNotifier::activated, this,
                         [this, raw] { ReadFrom(raw); });
        m_peers.push_back(std::move(peer));
    }
}

void MessageEndpoint::ReadFrom(Peer* peer) {
    char buffer[1024];
    for (;;) {
        const ssize_t n = ::recv(peer->fd.Get(), buffer, sizeof(buffer), 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        }
        if (n <= 0) {
            // The peer hung up (or its socket broke): a partial line it left is not a message.
            Drop(peer);
            return;
        }
        peer->input.append(buffer, n);
        qsizetype lineEnd = 0;
        while ((lineEnd = peer->input.indexOf('\n')) >= 0) {
            const QByteArray line = peer->input.left(lineEnd + 1);
            peer->input.remove(0, lineEnd + 1);
            QString name;
            WPARAM wParam = 0;
            LPARAM lParam = 0;
            if (!ParsePost(line, name, wParam, lParam)) {
                Trace("MessageEndpoint: malformed message ignored");
                continue;
            }
            if (m_receiver) {
                m_receiver(name, wParam, lParam);
            }
            // A handler may have broadcast, and a broadcast may have dropped this very peer.
            if (!Holds(peer)) {
                return;
            }
        }
        if (peer->input.size() > kMaxLineBytes) {
            Trace("MessageEndpoint: overlong message, peer disconnected");
            Drop(peer);
            return;
        }
    }
}

bool MessageEndpoint::Holds(const Peer* peer) const {
    return std::any_of(m_peers.begin(), m_peers.end(),
                       [peer](const std::unique_ptr<Peer>& p) { return p.get() == peer; });
}

bool MessageEndpoint::FlushTo(Peer* peer) {
    while (!peer->output.isEmpty()) {
        const ssize_t n = ::send(peer->fd.Get(), peer->output.constData(),
                                 static_cast<size_t>(peer->output.size()), MSG_NOSIGNAL);
        if (n > 0) {
            peer->output.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        }
        Drop(peer);
        return false;
    }
    if (peer->output.size() > kMaxUnreadBytes) {
        Trace("MessageEndpoint: a listener that reads nothing was disconnected");
        Drop(peer);
        return false;
    }
    if (peer->output.isEmpty()) {
        Retire(peer->writer);
    } else if (!peer->writer) {
        peer->writer = std::make_unique<QSocketNotifier>(peer->fd.Get(), QSocketNotifier::Write);
        QObject::connect(peer->writer.get(), &QSocketNotifier::activated, this,
                         [this, peer] { FlushTo(peer); });
    }
    return true;
}

void MessageEndpoint::Drop(Peer* peer) {
    const auto found =
        std::find_if(m_peers.begin(), m_peers.end(),
                     [peer](const std::unique_ptr<Peer>& p) { return p.get() == peer; });
    if (found == m_peers.end()) {
        return;
    }
    Retire(peer->reader);
    Retire(peer->writer);
    m_peers.erase(found);
}

bool MessageEndpoint::ParsePost(const QByteArray& line, QString& name, WPARAM& wParam,
                                LPARAM& lParam) {
    if (line.size() > kMaxLineBytes) {
        return false;
    }
    const QList<QByteArray> parts = line.trimmed().split(' ');
    if (parts.size() != 4 || parts[0] != "POST" || parts[1].isEmpty()) {
        return false;
    }
    bool wOk = false;
    bool lOk = false;
    const qulonglong w = parts[2].toULongLong(&wOk, 0);
    const qlonglong l = parts[3].toLongLong(&lOk, 0);
    if (!wOk || !lOk) {
        return false;
    }
    name = QString::fromUtf8(parts[1]);
    wParam = static_cast<WPARAM>(w);
    lParam = static_cast<LPARAM>(l);
    return true;
}

void MessageEndpoint::Broadcast(const QString& name, WPARAM wParam, LPARAM lParam) {
    const QByteArray line = name.toUtf8() + ' ' + QByteArray::number(qulonglong(wParam)) + ' ' +
                            QByteArray::number(qlonglong(lParam)) + '\n';
    // Dropping a peer changes the list: walk a copy of the pointers.
    std::vector<Peer*> peers;
    peers.reserve(m_peers.size());
    for (const std::unique_ptr<Peer>& peer : m_peers) {
        peers.push_back(peer.get());
    }
    for (Peer* peer : peers) {
        peer->output.append(line);
        FlushTo(peer);
    }
}

bool MessageEndpoint::SendToRunning(const QString& socketPath, const QString& name, WPARAM wParam,
                                    LPARAM lParam, int timeoutMs, bool waitForListener) {
    return PostToRunningApplication(QFile::encodeName(socketPath).toStdString(), name.toStdString(),
                                    wParam, lParam, timeoutMs, waitForListener);
}

}  // namespace quaro
