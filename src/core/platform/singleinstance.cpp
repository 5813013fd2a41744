#include "core/platform/singleinstance.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

const QByteArray acknowledgement = QByteArrayLiteral("ok\n");

} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent) : QObject(parent), m_name(name)
{
    m_socket.setParent(this);
    m_server.setParent(this);
    m_timer.setParent(this);
    m_timer.setSingleShot(true);
    m_timer.setInterval(exchangeTimeoutMs);
    // Only the user can open the socket file (or the pipe on Windows).
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_timer, &QTimer::timeout, this, &SingleInstance::onTimeout);
    connect(&m_socket, &QLocalSocket::connected, this, &SingleInstance::onConnected);
    connect(&m_socket, &QLocalSocket::readyRead, this, &SingleInstance::onReply);
    connect(&m_socket, &QLocalSocket::errorOccurred, this, &SingleInstance::onSocketError);
    connect(&m_socket, &QLocalSocket::disconnected, this, [this] {
        // Gone before it acknowledged: the link stays with this program.
        if (m_state == State::Sending)
            settle(Outcome::Alone);
    });
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
}

QString SingleInstance::userSocketName()
{
#ifdef Q_OS_UNIX
    // The runtime folder belongs to the user alone (mode 0700).
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + QStringLiteral("/varnholt.socket");
    return QStringLiteral("varnholt-%1").arg(geteuid());
#else
    return QStringLiteral("varnholt-") + qEnvironmentVariable("USERNAME");
#endif
}

void SingleInstance::start(const QString& message)
{
    m_message = message.toUtf8();
    m_state = State::Connecting;
    m_timer.start();
    // Deferred so that settled() never comes before start() returns (a local
    // socket may report its failure at once).
    QTimer::singleShot(0, this, [this] {
        if (m_state == State::Connecting)
            m_socket.connectToServer(m_name);
    });
}

void SingleInstance::onConnected()
{
    if (m_state != State::Connecting)
        return;
    if (!isSameUser(&m_socket) || m_message.isEmpty()) {
        settle(Outcome::Alone);
        return;
    }
    m_state = State::Sending;
    m_socket.write(m_message + '\n');
}

void SingleInstance::onReply()
{
    if (m_state != State::Sending)
        return;
    if (m_socket.bytesAvailable() < acknowledgement.size())
        return;
    const bool taken = m_socket.read(acknowledgement.size()) == acknowledgement;
    settle(taken ? Outcome::HandedOver : Outcome::Alone);
}

void SingleInstance::onSocketError(QLocalSocket::LocalSocketError error)
{
    if (m_state == State::Connecting) {
        // A socket file with no one behind it is what a program that ended
        // without closing leaves.
        if (error == QLocalSocket::ConnectionRefusedError)
            QLocalServer::removeServer(m_name);
        if (error == QLocalSocket::ServerNotFoundError ||
            error == QLocalSocket::ConnectionRefusedError)
            listen();
        else
            settle(Outcome::Alone);
    } else if (m_state == State::Sending) {
        settle(Outcome::Alone);
    }
}

void SingleInstance::onTimeout()
{
    if (m_state == State::Connecting || m_state == State::Sending)
        settle(Outcome::Alone);
}

void SingleInstance::listen()
{
    if (!m_server.listen(m_name)) {
        settle(Outcome::Alone);
        return;
    }
    m_timer.stop();
    m_state = State::Listening;
    Q_EMIT settled(Outcome::Listening);
}

void SingleInstance::settle(Outcome outcome)
{
    m_timer.stop();
    m_state = State::Done;
    m_socket.abort();
    Q_EMIT settled(outcome);
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* peer = m_server.nextPendingConnection()) {
        connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        if (!isSameUser(peer)) {
            peer->abort();
            peer->deleteLater();
            continue;
        }
        // A sender that never finishes its line is not waited for.
        QTimer::singleShot(exchangeTimeoutMs, peer, [peer] { peer->abort(); });
        connect(peer, &QLocalSocket::readyRead, this, [this, peer] { readFrom(peer); });
    }
}

void SingleInstance::readFrom(QLocalSocket* peer)
{
    const QByteArray waiting = peer->peek(maxMessageSize + 1);
    const qsizetype end = waiting.indexOf('\n');
    if (end < 0) {
        if (waiting.size() > maxMessageSize)
            peer->abort();
        return;
    }
    const QByteArray line = peer->read(end + 1).chopped(1);
    peer->write(acknowledgement);
    peer->disconnectFromServer();
    Q_EMIT messageReceived(QString::fromUtf8(line));
}

bool SingleInstance::isSameUser(const QLocalSocket* socket)
{
#ifdef Q_OS_LINUX
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (getsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &size) !=
        0)
        return false;
    return credentials.uid == geteuid();
#else
    // Elsewhere the socket's access rights keep other users out.
    Q_UNUSED(socket);
    return true;
#endif
}
