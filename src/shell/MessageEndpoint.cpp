#include "shell/MessageEndpoint.h"

#include "platform/Trace.h"
#include "ui/RegisteredMessages.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>

#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace quaro {

MessageEndpoint::MessageEndpoint(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)) {
    QObject::connect(&m_server, &QLocalServer::newConnection, this, [this] { OnNewConnection(); });
}

MessageEndpoint::~MessageEndpoint() {
    m_server.close();
    if (m_lock) {
        m_lock->unlock();
    }
}

QString MessageEndpoint::DefaultSocketPath() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QString::fromLocal8Bit(runtime)).exists()) {
        return QDir(QString::fromLocal8Bit(runtime)).filePath(registered::kInstanceGuard);
    }
    return QDir::temp().filePath(registered::kInstanceGuard + QStringLiteral("-%1").arg(getuid()));
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
    // We hold the guard, so a socket file left behind is from a copy that ended abnormally.
    QLocalServer::removeServer(m_socketPath);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_socketPath)) {
        TraceFormat("MessageEndpoint: cannot listen on %s", m_socketPath.toUtf8().constData());
        return StartResult::Failed;
    }
    return StartResult::Listening;
}

void MessageEndpoint::OnNewConnection() {
    while (QLocalSocket* peer = m_server.nextPendingConnection()) {
        peer->setParent(this);
        m_peers.emplace_back(peer);
        QObject::connect(peer, &QLocalSocket::readyRead, this, [this, peer] { OnReadyRead(peer); });
        QObject::connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        QObject::connect(peer, &QObject::destroyed, this, [this] {
            std::erase_if(m_peers, [](const QPointer<QLocalSocket>& p) { return p.isNull(); });
        });
    }
}

void MessageEndpoint::OnReadyRead(QLocalSocket* peer) {
    while (peer->canReadLine()) {
        const QByteArray line = peer->readLine(kMaxLineBytes + 1);
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
    }
    if (peer->bytesAvailable() > kMaxLineBytes) {
        Trace("MessageEndpoint: overlong message, peer disconnected");
        peer->abort();
    }
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
    for (const QPointer<QLocalSocket>& peer : m_peers) {
        if (peer && peer->state() == QLocalSocket::ConnectedState) {
            peer->write(line);
            peer->flush();
        }
    }
}

namespace {

// Writes all of data before the deadline; false on an error or when time runs out.
bool WriteAll(int fd, const QByteArray& data, std::chrono::steady_clock::time_point deadline) {
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t n =
            ::send(fd, data.constData() + written, data.size() - written, MSG_NOSIGNAL);
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd waiting{fd, POLLOUT, 0};
        ::poll(&waiting, 1, static_cast<int>(left.count()));
    }
    return true;
}

}  // namespace

bool MessageEndpoint::SendToRunning(const QString& socketPath, const QString& name, WPARAM wParam,
                                    LPARAM lParam, int timeoutMs, bool waitForListener) {
    const QByteArray path = QFile::encodeName(socketPath);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<size_t>(path.size()) >= sizeof(address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const QByteArray line = "POST " + name.toUtf8() + ' ' + QByteArray::number(qulonglong(wParam)) +
                            ' ' + QByteArray::number(qlonglong(lParam)) + '\n';

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            return false;
        }
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) {
            const bool written = WriteAll(fd, line, deadline);
            ::close(fd);
            return written;
        }
        const int error = errno;
        ::close(fd);
        // No socket yet, or no one accepting on it: the running copy may still be starting.
        const bool notListening = error == ENOENT || error == ECONNREFUSED || error == EAGAIN;
        if (!waitForListener || !notListening || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace quaro
