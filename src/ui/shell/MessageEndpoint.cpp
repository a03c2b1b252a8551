#include "ui/shell/MessageEndpoint.h"

#include "platform/Trace.h"

#include <QDir>
#include <QLocalSocket>

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
        return QDir(QString::fromLocal8Bit(runtime)).filePath(QStringLiteral("MIREL_QUARO"));
    }
    return QDir::temp().filePath(QStringLiteral("MIREL_QUARO-%1").arg(getuid()));
}

MessageEndpoint::StartResult MessageEndpoint::Listen() {
    m_lock = std::make_unique<QLockFile>(m_socketPath + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);  // a lock is stale only when its process is gone
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
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

bool MessageEndpoint::SendToRunning(const QString& socketPath, const QString& name, WPARAM wParam,
                                    LPARAM lParam, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    socket.write("POST " + name.toUtf8() + ' ' + QByteArray::number(qulonglong(wParam)) + ' ' +
                 QByteArray::number(qlonglong(lParam)) + '\n');
    socket.flush();
    const bool written = socket.bytesToWrite() == 0 || socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(timeoutMs);
    }
    return written;
}

}  // namespace quaro
