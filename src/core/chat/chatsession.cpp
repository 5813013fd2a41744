#include "core/chat/chatsession.h"

#include "core/settings/settings.h"
#include "core/wire/ircline.h"

#include <QTcpSocket>

#include <utility>

ChatSession::ChatSession(const Settings* settings, QObject* parent)
    : QObject(parent), m_settings(settings)
{
}

QTcpSocket* ChatSession::createSocket()
{
    auto* socket = new QTcpSocket(this);
    connect(socket, &QTcpSocket::connected, this, &ChatSession::onConnected);
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

void ChatSession::dropSocket()
{
    if (!m_socket)
        return;
    QTcpSocket* socket = std::exchange(m_socket, nullptr);
    socket->disconnect();
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

void ChatSession::connectClicked()
{
    if (!connectEnabled())
        return;
    const std::optional<quint16> port = m_settings->port(Settings::IrcPort);
    if (!port) {
        Q_EMIT statusChanged(Settings::invalidPortMessage(Settings::IrcPort));
        return;
    }
    const QString host = m_settings->value(Settings::IrcHost);
    setState(State::Connecting);
    Q_EMIT connecting(host);
    resetReceiving();
    m_socket = createSocket();
    m_socket->connectToHost(host, *port);
}

void ChatSession::disconnectClicked()
{
    Q_EMIT disconnectedByUser();
    close();
}

void ChatSession::close()
{
    dropSocket();
    resetReceiving();
    setState(State::Disconnected);
}

void ChatSession::onConnected()
{
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    setState(State::Connected);
    Q_EMIT connectionOpened();
    sendRegistration();
}

void ChatSession::sendRegistration()
{
    // A handler of the events above may have ended the connection.
    if (!isConnected())
        return;
    sendLine(IrcLine::nickLine(m_settings->value(Settings::IrcNickname)));
    sendLine(IrcLine::userLine(m_settings->value(Settings::IrcUserName),
                               m_socket->localAddress().toString(), m_socket->localPort()));
    sendLine(IrcLine::joinLine(m_settings->value(Settings::IrcChannel)));
}

void ChatSession::onSocketError(QAbstractSocket::SocketError error)
{
    dropSocket();
    setState(State::Failed);
    Q_EMIT statusChanged(error == QAbstractSocket::RemoteHostClosedError
                             ? QStringLiteral("Error: The IRC server closed the connection")
                             : QStringLiteral("Error: IRC connection failure"));
}

void ChatSession::sendLine(const QByteArray& line)
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
    const QString channel = m_settings->value(Settings::IrcChannel);
    const QList<QByteArray> lines = m_assembler.append(bytes);
    QList<ReceivedItem> items;
    items.reserve(lines.size());
    for (const QByteArray& received : lines) {
        const QString text = IrcLine::decode(received);
        if (text.startsWith(QLatin1String("PING"))) {
            sendLine(IrcLine::pongLine(text.mid(5)));
            continue;
        }
        IrcLine line = IrcLine::parse(text);
        if (takeNamesLine(line, channel))
            continue;
        // The server has started on us.
        const auto kind = text.contains(QLatin1String("Found your hostname"))
                              ? ReceivedItem::Kind::Greeting
                              : ReceivedItem::Kind::Line;
        items.append(ReceivedItem{kind, std::move(line)});
    }
    if (!items.isEmpty())
        Q_EMIT received(items);
    if (m_usersChanged) {
        m_usersChanged = false;
        Q_EMIT usersListChanged(m_users);
    }
}

bool ChatSession::takeNamesLine(const IrcLine& line, const QString& channel)
{
    // 353: me [type] channel :names; 366: me channel :End of NAMES list
    const bool isNames = line.command == QLatin1String("353");
    if (!isNames && line.command != QLatin1String("366"))
        return false;
    // The 366's closing text is customary, not required.
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
    // Commands are not interpreted; such a line is dropped.
    if (text.startsWith(u'/'))
        return true;
    sendLine(IrcLine::privmsgLine(m_settings->value(Settings::IrcChannel), text));
    Q_EMIT messageSent(m_settings->value(Settings::IrcNickname), text);
    return true;
}

void ChatSession::usersClicked()
{
    if (!isConnected()) {
        Q_EMIT statusChanged(QStringLiteral("Not Connected to IRC"));
        return;
    }
    sendLine(IrcLine::namesLine(m_settings->value(Settings::IrcChannel)));
    Q_EMIT showUsersWindow();
}

void ChatSession::refreshUsersClicked()
{
    if (isConnected())
        sendLine(IrcLine::namesLine(m_settings->value(Settings::IrcChannel)));
}

void ChatSession::resetReceiving()
{
    m_assembler.clear();
    m_namesBatchOpen = false;
}
