#include "core/chat/chatsession.h"

#include "core/chat/chatinput.h"
#include "core/platform/version.h"
#include "core/wire/ircline.h"
#include "core/wire/ircnumeric.h"

#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>

#include <algorithm>
#include <utility>

namespace {
// How long a graceful close may take before the socket is dropped anyway.
constexpr int closeGraceMs = 2000;
const QString keepAliveToken = QStringLiteral("varnholt");
// The alternatives to a nickname in use, after the nickname itself.
const QStringList nickSuffixes = {QStringLiteral("_"), QStringLiteral("1"), QStringLiteral("2"),
                                  QStringLiteral("3")};

QString nicknameTry(const QString& base, int tryNumber, int nickLength)
{
    if (tryNumber == 0)
        return base;
    const QString& suffix = nickSuffixes.at(tryNumber - 1);
    return base.left(std::max<qsizetype>(1, nickLength - suffix.size())) + suffix;
}

ChatSession::Loss lossFor(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::RemoteHostClosedError:
        return ChatSession::Loss::ServerClosed;
    case QAbstractSocket::ConnectionRefusedError:
        return ChatSession::Loss::Refused;
    case QAbstractSocket::HostNotFoundError:
        return ChatSession::Loss::HostNotFound;
    default:
        return ChatSession::Loss::NetworkError;
    }
}

ChatSession::TlsProblem problemOf(const QSslError& error)
{
    using P = ChatSession::TlsProblem;
    switch (error.error()) {
    case QSslError::CertificateExpired:
        return P::Expired;
    case QSslError::CertificateNotYetValid:
        return P::NotYetValid;
    case QSslError::HostNameMismatch:
        return P::WrongHost;
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
        return P::Untrusted;
    case QSslError::CertificateRevoked:
        return P::Revoked;
    default:
        return P::Invalid;
    }
}

// PONG repeats the PING's parameters as they came.
QString pingParameters(const IrcLine& line)
{
    QStringList params = line.params;
    if (line.hasTrailing && !params.isEmpty())
        params.last().prepend(u':');
    return params.join(u' ');
}

bool isCtcpCarrier(const IrcLine& line)
{
    return !line.nick.isEmpty() && line.params.size() >= 2 &&
           line.params.constLast().startsWith(QChar(CtcpMessage::delimiter)) &&
           (line.command == QLatin1String("PRIVMSG") || line.command == QLatin1String("NOTICE"));
}
} // namespace

ChatSession::ChatSession(ChatSettingsSource settings, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)),
      m_queue([this](const QByteArray& line) { sendNow(line); })
{
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &ChatSession::startAttempt);
    m_keepAlive.setSingleShot(true);
    connect(&m_keepAlive, &QTimer::timeout, this, &ChatSession::onKeepAlive);
    m_clock.start();
}

void ChatSession::setTimings(const Timings& timings)
{
    m_timings = timings;
    m_queue.setPace(timings.burst, timings.sendIntervalMs);
}

QTcpSocket* ChatSession::createSocket(bool tls)
{
    QTcpSocket* socket = nullptr;
    if (tls) {
        auto* ssl = new QSslSocket(this);
        // Sent only once the certificate is verified and the link encrypted.
        connect(ssl, &QSslSocket::encrypted, this, &ChatSession::onConnected);
        // Not ignored: the handshake fails and the error below ends it.
        connect(ssl, &QSslSocket::sslErrors, this,
                [this](const QList<QSslError>& errors) { m_sslErrors = errors; });
        socket = ssl;
    } else {
        socket = new QTcpSocket(this);
        connect(socket, &QTcpSocket::connected, this, &ChatSession::onConnected);
    }
    connect(socket, &QTcpSocket::readyRead, this, &ChatSession::onReadyRead);
    // Queued, so that a failure is never handled inside the call that caused
    // it (connectToHost() may fail at once); one from a socket dropped in
    // between is ignored.
    connect(
        socket, &QTcpSocket::errorOccurred, socket,
        [this, socket](QAbstractSocket::SocketError error) {
            if (socket == m_socket)
                onSocketError(error);
        },
        Qt::QueuedConnection);
    return socket;
}

void ChatSession::dropSocket(bool graceful)
{
    m_keepAlive.stop();
    if (!m_socket)
        return;
    QTcpSocket* socket = std::exchange(m_socket, nullptr);
    socket->disconnect();
    if (graceful && socket->state() == QAbstractSocket::ConnectedState) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(closeGraceMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        socket->disconnectFromHost();
        return;
    }
    socket->abort();
    socket->deleteLater();
}

void ChatSession::setState(State state)
{
    if (m_state == state)
        return;
    const bool wasEnabled = connectEnabled();
    m_state = state;
    Q_EMIT stateChanged(state);
    if (connectEnabled() != wasEnabled)
        Q_EMIT connectEnabledChanged(connectEnabled());
}

void ChatSession::connectToServer()
{
    if (!connectEnabled())
        return;
    if (m_state == State::Waiting) {
        m_retryTimer.stop();
        startAttempt();
        return;
    }
    m_attempt = 0;
    m_opened = false;
    m_baseNick = m_settings().nickname;
    m_nickLength = 9;
    startAttempt();
}

void ChatSession::startAttempt()
{
    const ChatSettings settings = m_settings();
    const std::optional<quint16> port = settings.port;
    if (!port) {
        Q_EMIT statusChanged(settings.portProblem);
        setState(m_attempt > 0 ? State::Failed : State::Disconnected);
        return;
    }
    const QString& host = settings.host;
    setState(State::Connecting);
    if (m_attempt == 0)
        Q_EMIT connecting(host);
    else
        Q_EMIT reconnecting(m_attempt, host);
    resetReceiving();
    m_queue.reset();
    m_nick = m_baseNick;
    m_nickTry = 0;
    m_sslErrors.clear();
    const bool tls = settings.tls;
    m_socket = createSocket(tls);
    if (!tls) {
        m_socket->connectToHost(host, *port);
    } else if (configureTls(m_socket, settings.caFile)) {
        static_cast<QSslSocket*>(m_socket)->connectToHostEncrypted(host, *port);
    }
}

bool ChatSession::configureTls(QTcpSocket* socket, const QString& caFile)
{
    if (!QSslSocket::supportsSsl()) {
        refuseTls({TlsProblem::Unavailable});
        return false;
    }
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!caFile.isEmpty()) {
        const QList<QSslCertificate> extra = QSslCertificate::fromPath(caFile, QSsl::Pem);
        if (extra.isEmpty()) {
            refuseTls({TlsProblem::CaFileUnreadable});
            return false;
        }
        config.addCaCertificates(extra);
    }
    static_cast<QSslSocket*>(socket)->setSslConfiguration(config);
    return true;
}

void ChatSession::disconnectFromServer()
{
    Q_EMIT disconnectedByUser();
    close();
}

void ChatSession::close()
{
    m_retryTimer.stop();
    dropSocket();
    reportUnsent();
    resetReceiving();
    m_attempt = 0;
    m_opened = false;
    setState(State::Disconnected);
}

void ChatSession::onConnected()
{
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_opened = true;
    setState(State::Registering);
    if (m_attempt == 0)
        Q_EMIT connectionOpened();
    // A handler of the events above may have ended the connection.
    if (m_state != State::Registering)
        return;
    m_lastReceivedAt = m_clock.elapsed();
    m_pingSentAt = -1;
    m_keepAlive.start(m_timings.idleMs);
    sendRegistration();
}

void ChatSession::sendRegistration()
{
    m_queue.push(IrcLine::nickLine(m_nick));
    m_queue.push(IrcLine::userLine(m_settings().userName, m_socket->localAddress().toString(),
                                   m_socket->localPort()));
}

void ChatSession::onSocketError(QAbstractSocket::SocketError error)
{
    if (error == QAbstractSocket::SslHandshakeFailedError || !m_sslErrors.isEmpty()) {
        QList<TlsProblem> problems;
        for (const QSslError& sslError : std::as_const(m_sslErrors)) {
            if (!problems.contains(problemOf(sslError)))
                problems.append(problemOf(sslError));
        }
        refuseTls(problems.isEmpty() ? QList<TlsProblem>{TlsProblem::HandshakeFailed} : problems);
        return;
    }
    loseConnection(lossFor(error));
}

void ChatSession::refuseTls(const QList<TlsProblem>& problems)
{
    dropSocket();
    Q_EMIT tlsRefused(problems);
    Q_EMIT statusChanged(QStringLiteral("Error: IRC connection failure"));
    setState(State::Failed);
}

void ChatSession::loseConnection(Loss why)
{
    dropSocket();
    reportUnsent();
    resetReceiving();
    Q_EMIT statusChanged(why == Loss::ServerClosed
                             ? QStringLiteral("Error: The IRC server closed the connection")
                             : QStringLiteral("Error: IRC connection failure"));
    if (!m_opened || !m_settings().reconnect) {
        setState(State::Failed);
        return;
    }
    ++m_attempt;
    int delay = m_timings.firstRetryMs;
    for (int n = 1; n < m_attempt && delay < m_timings.maxRetryMs; ++n)
        delay *= 2;
    delay = std::min(delay, m_timings.maxRetryMs);
    setState(State::Waiting);
    Q_EMIT reconnectScheduled(m_attempt, delay, why);
    if (m_state == State::Waiting)
        m_retryTimer.start(delay);
}

void ChatSession::endCleanly()
{
    sendNow(IrcLine::quitLine());
    dropSocket(true);
    reportUnsent();
    resetReceiving();
    m_attempt = 0;
    m_opened = false;
    setState(State::Disconnected);
}

void ChatSession::reportUnsent()
{
    const QStringList unsent = m_queue.reset();
    if (!unsent.isEmpty())
        Q_EMIT notSent(unsent);
}

void ChatSession::onKeepAlive()
{
    const qint64 now = m_clock.elapsed();
    if (m_pingSentAt >= 0 && m_lastReceivedAt < m_pingSentAt) {
        loseConnection(Loss::NoReply);
        return;
    }
    m_pingSentAt = -1;
    const qint64 quiet = now - m_lastReceivedAt;
    if (quiet < m_timings.idleMs) {
        m_keepAlive.start(int(m_timings.idleMs - quiet));
        return;
    }
    sendNow(IrcLine::pingLine(keepAliveToken));
    m_pingSentAt = now;
    m_keepAlive.start(m_timings.pingTimeoutMs);
}

void ChatSession::sendNow(const QByteArray& line)
{
    if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->write(line);
}

void ChatSession::onReadyRead()
{
    receive(m_socket->readAll());
}

void ChatSession::receive(const QByteArray& bytes)
{
    m_lastReceivedAt = m_clock.elapsed();
    const QString channel = m_settings().channel;
    const QList<QByteArray> lines = m_assembler.append(bytes);
    QList<ReceivedItem> items;
    items.reserve(lines.size());
    for (const QByteArray& received : lines) {
        const QString text = IrcLine::decode(received);
        ReceivedItem item{ReceivedItem::Kind::Line, IrcLine::parse(text), {}};
        const IrcLine& line = item.line;
        if (line.command == QLatin1String("PING")) {
            sendNow(IrcLine::pongLine(pingParameters(line)));
            continue;
        }
        if (takeNamesLine(line, channel))
            continue;
        if (line.numeric() >= 0) {
            const QTcpSocket* socket = m_socket;
            const bool taken = takeNumeric(line);
            // A nickname reply may have ended the connection.
            if (m_socket != socket)
                break;
            if (taken)
                continue;
        } else if (line.command == QLatin1String("NICK") &&
                   line.nick.compare(m_nick, Qt::CaseInsensitive) == 0) {
            m_nick = line.lastParam();
            if (m_nick.compare(m_requestedNick, Qt::CaseInsensitive) == 0)
                m_baseNick = m_nick;
        } else if (isCtcpCarrier(line) && !takeCtcp(line, item)) {
            continue;
        }
        // The server has started on us; on a reconnect the log goes on.
        if (m_attempt == 0 && text.contains(QLatin1String("Found your hostname")))
            item.kind = ReceivedItem::Kind::Greeting;
        items.append(std::move(item));
    }
    if (!items.isEmpty())
        Q_EMIT received(items);
    if (m_usersChanged) {
        m_usersChanged = false;
        Q_EMIT usersListChanged(m_users);
    }
}

bool ChatSession::takeNumeric(const IrcLine& line)
{
    using namespace IrcNumeric;
    const int code = line.numeric();
    if (code == RPL_WELCOME) {
        if (m_state != State::Registering)
            return false;
        if (!line.params.isEmpty())
            m_nick = line.params.first();
        setState(State::Connected);
        if (m_attempt > 0)
            Q_EMIT reconnected(std::exchange(m_attempt, 0));
        m_queue.push(IrcLine::joinLine(m_settings().channel));
        return false;
    }
    if (code == RPL_ISUPPORT) {
        for (const QString& token : line.params) {
            if (token.startsWith(QLatin1String("NICKLEN="))) {
                const int length = token.mid(8).toInt();
                if (length > 0)
                    m_nickLength = length;
            }
        }
        return false;
    }
    const bool inUse = code == ERR_NICKNAMEINUSE;
    if (!inUse && code != ERR_ERRONEUSNICKNAME)
        return false;
    // A /nick the server refused is shown as it came.
    if (m_state != State::Registering)
        return false;
    if (!inUse) {
        Q_EMIT nicknameRefused(m_nick);
        endCleanly();
        return true;
    }
    tryNextNickname();
    return true;
}

void ChatSession::tryNextNickname()
{
    if (m_nickTry >= nickSuffixes.size()) {
        Q_EMIT nicknamesExhausted(m_nick);
        endCleanly();
        return;
    }
    const QString next = nicknameTry(m_baseNick, ++m_nickTry, m_nickLength);
    Q_EMIT nicknameInUse(m_nick, next);
    m_nick = next;
    m_queue.push(IrcLine::nickLine(next));
}

bool ChatSession::takeCtcp(const IrcLine& line, ReceivedItem& item)
{
    std::optional<CtcpMessage> ctcp = CtcpMessage::parse(line.lastParam());
    if (!ctcp)
        return true;
    item.ctcp = std::move(*ctcp);
    if (line.command == QLatin1String("NOTICE")) {
        item.kind = ReceivedItem::Kind::CtcpReply;
        return true;
    }
    if (item.ctcp.command == QLatin1String("ACTION")) {
        item.kind = ReceivedItem::Kind::Action;
        return true;
    }
    QString answer;
    if (item.ctcp.command == QLatin1String("VERSION"))
        answer =
            QString::fromLatin1(Version::programName) + u' ' + QString::fromLatin1(Version::number);
    else if (item.ctcp.command == QLatin1String("PING"))
        answer = item.ctcp.argument;
    else {
        item.kind = ReceivedItem::Kind::CtcpRequest;
        return true;
    }
    // Answers wait their turn like our own lines; a flood of requests gets
    // no more answers than the queue's burst.
    if (m_queue.size() < m_timings.burst)
        m_queue.push(IrcLine::noticeLine(line.nick, CtcpMessage::quote(item.ctcp.command, answer)));
    return false;
}

bool ChatSession::takeNamesLine(const IrcLine& line, const QString& channel)
{
    // RPL_NAMREPLY: me [type] channel :names; RPL_ENDOFNAMES: me channel :End
    // of NAMES list
    const bool isNames = line.numeric() == IrcNumeric::RPL_NAMREPLY;
    if (!isNames && line.numeric() != IrcNumeric::RPL_ENDOFNAMES)
        return false;
    // The RPL_ENDOFNAMES closing text is customary, not required.
    if (line.params.size() < (isNames ? 3 : 2))
        return false;
    const QString& replyChannel =
        isNames ? line.params.at(line.params.size() - 2) : line.params.at(1);
    if (replyChannel.compare(channel, Qt::CaseInsensitive) != 0)
        return false;
    if (!isNames) {
        m_namesBatchOpen = false;
        return true;
    }
    if (!m_namesBatchOpen) {
        m_users.clear();
        m_namesBatchOpen = true;
    }
    m_users += line.lastParam().split(u' ', Qt::SkipEmptyParts);
    m_usersChanged = true;
    return true;
}

bool ChatSession::submitInput(const QString& text)
{
    if (text.isEmpty())
        return false;
    if (!isConnected()) {
        // Kept in the box so it can be sent once connected.
        Q_EMIT statusChanged(QStringLiteral("Not Connected to IRC"));
        return false;
    }
    const ChatInput input = ChatInput::parse(text);
    switch (input.kind) {
    case ChatInput::Kind::Message:
        m_queue.push(IrcLine::privmsgLine(m_settings().channel, text), text,
                     [this, text] { Q_EMIT messageSent(m_nick, text); });
        break;
    case ChatInput::Kind::Action: {
        const QString channel = m_settings().channel;
        m_queue.push(
            IrcLine::privmsgLine(channel, CtcpMessage::quote(QStringLiteral("ACTION"), input.text)),
            text, [this, action = input.text] { Q_EMIT actionSent(m_nick, action); });
        break;
    }
    case ChatInput::Kind::PrivateMessage:
        m_queue.push(IrcLine::privmsgLine(input.target, input.text), text,
                     [this, input] { Q_EMIT privateMessageSent(input.target, input.text); });
        break;
    case ChatInput::Kind::Nickname:
        // The alternatives start from it once the server has agreed.
        m_requestedNick = input.text;
        m_queue.push(IrcLine::nickLine(input.text), text);
        break;
    case ChatInput::Kind::Usage:
        Q_EMIT commandUsage(input.text);
        break;
    case ChatInput::Kind::Unknown:
        Q_EMIT unknownCommand(input.text);
        break;
    }
    return true;
}

void ChatSession::showUsers()
{
    if (!isConnected()) {
        Q_EMIT statusChanged(QStringLiteral("Not Connected to IRC"));
        return;
    }
    m_queue.push(IrcLine::namesLine(m_settings().channel));
    Q_EMIT showUsersWindow();
}

void ChatSession::requestUsers()
{
    if (isConnected())
        m_queue.push(IrcLine::namesLine(m_settings().channel));
}

void ChatSession::resetReceiving()
{
    m_assembler.clear();
    m_namesBatchOpen = false;
}
