#include "shell/MessageEndpoint.h"

#include "platform/EndpointClient.h"
#include "platform/Trace.h"
#include "ui/RegisteredMessages.h"

#include <QFile>
#include <QLocalSocket>

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
                                    LPARAM lParam, int timeoutMs, bool waitForListener) {
    return PostToRunningApplication(QFile::encodeName(socketPath).toStdString(), name.toStdString(),
                                    wParam, lParam, timeoutMs, waitForListener);
}

}  // namespace quaro
