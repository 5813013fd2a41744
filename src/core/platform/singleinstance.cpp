#include "core/platform/singleinstance.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#include <sddl.h>

#include <memory>
#include <vector>
#endif

namespace {

const QByteArray acknowledgement = QByteArrayLiteral("ok\n");
// How soon a later start asks again for a pipe the first start has not
// opened yet (both started at once).
constexpr int retryMs = 100;

#ifdef Q_OS_WIN
// The token user of `process`, as bytes of a SID; empty when unknown.
std::vector<char> userOf(HANDLE process)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<char> buffer(size);
    const bool ok = size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    CloseHandle(token);
    if (!ok)
        return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    return std::vector<char>(static_cast<char*>(sid), static_cast<char*>(sid) + GetLengthSid(sid));
}

QString sidText()
{
    std::vector<char> sid = userOf(GetCurrentProcess());
    LPWSTR text = nullptr;
    if (sid.empty() || !ConvertSidToStringSidW(sid.data(), &text))
        return QStringLiteral("unknown-") + qEnvironmentVariable("USERNAME");
    const QString result = QString::fromWCharArray(text);
    LocalFree(text);
    return result;
}

// The other end of a pipe runs as the user this process runs as.
bool peerIsThisUser(HANDLE pipe, bool weAreServer)
{
    ULONG pid = 0;
    if (!(weAreServer ? GetNamedPipeClientProcessId(pipe, &pid)
                      : GetNamedPipeServerProcessId(pipe, &pid)))
        return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return false;
    const std::vector<char> peer = userOf(process);
    CloseHandle(process);
    const std::vector<char> self = userOf(GetCurrentProcess());
    return !peer.empty() && peer == self;
}
#endif

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
    return QStringLiteral("varnholt-") + sidText();
#endif
}

#ifdef Q_OS_WIN
SingleInstance::~SingleInstance()
{
    if (m_mutex)
        CloseHandle(HANDLE(m_mutex));
}
#endif

void SingleInstance::start(const QString& message)
{
    m_message = message.toUtf8();
    m_state = State::Connecting;
    m_timer.start();
    // Deferred so that settled() never comes before start() returns (a local
    // socket may report its failure at once).
#ifdef Q_OS_WIN
    // The pipe's name holds a backslash-free SID, fit for a mutex name.
    const QString mutexName = QStringLiteral("Local\\") + QString(m_name).replace(u'\\', u'-');
    m_mutex = CreateMutexW(nullptr, FALSE, reinterpret_cast<LPCWSTR>(mutexName.utf16()));
    m_first = m_mutex && GetLastError() != ERROR_ALREADY_EXISTS;
#endif
    QTimer::singleShot(0, this, &SingleInstance::connectOrListen);
}

void SingleInstance::connectOrListen()
{
    if (m_state != State::Connecting)
        return;
#ifdef Q_OS_WIN
    if (m_first) {
        listen();
        return;
    }
#endif
    m_socket.connectToServer(m_name);
}

void SingleInstance::onConnected()
{
    if (m_state != State::Connecting)
        return;
    if (!isSameUser(&m_socket, false) || m_message.isEmpty()) {
        settle(Outcome::Alone);
        return;
    }
#ifdef Q_OS_WIN
    // The running program may bring its window to the front: Windows lets
    // only the program the player just started hand that right on.
    ULONG pid = 0;
    if (GetNamedPipeServerProcessId(HANDLE(m_socket.socketDescriptor()), &pid))
        AllowSetForegroundWindow(pid);
#endif
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
#ifdef Q_OS_WIN
        // The first program holds the name but has not opened its pipe yet,
        // or is busy serving another start: ask again until the time-out.
        if (error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::SocketAccessError ||
            error == QLocalSocket::UnknownSocketError) {
            QTimer::singleShot(retryMs, this, &SingleInstance::connectOrListen);
            return;
        }
#endif
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
        if (!isSameUser(peer, true)) {
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

bool SingleInstance::isSameUser(const QLocalSocket* socket, bool accepted)
{
#ifdef Q_OS_LINUX
    Q_UNUSED(accepted);
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (getsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &size) !=
        0)
        return false;
    return credentials.uid == geteuid();
#elif defined(Q_OS_WIN)
    return peerIsThisUser(HANDLE(socket->socketDescriptor()), accepted);
#else
    // Elsewhere the socket's access rights keep other users out.
    Q_UNUSED(socket);
    Q_UNUSED(accepted);
    return true;
#endif
}
