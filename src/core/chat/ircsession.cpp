#include "core/chat/ircsession.h"

#include "core/wire/ircline.h"
#include "core/platform/socket.h"
#include "core/settings/settings.h"

namespace {
const QString crlf = QStringLiteral("\r\n");
} // namespace

IrcSession::IrcSession(Socket* wschat, const Settings* settings, QObject* parent)
    : QObject(parent), m_socket(wschat), m_settings(settings)
{
    connect(m_socket, &Socket::connected, this, &IrcSession::onConnected);
    connect(m_socket, &Socket::dataArrival, this, &IrcSession::onDataArrival);
    connect(m_socket, &Socket::error, this,
            [this] { Q_EMIT statusChanged(QStringLiteral("Error: IRC connection failure")); });
    connect(m_socket, &Socket::closedByPeer, this, [this] {
        Q_EMIT statusChanged(QStringLiteral("Error: The IRC server closed the connection"));
    });
}

bool IrcSession::isConnected() const
{
    return m_socket->state() == Socket::Connected;
}

void IrcSession::connectClicked()
{
    if (!m_connectEnabled)
        return;
    const std::optional<quint16> port = m_settings->port(Settings::IrcPort);
    if (!port) {
        Q_EMIT statusChanged(Settings::invalidPortMessage(Settings::IrcPort));
        return;
    }
    const QString host = m_settings->value(Settings::IrcHost);
    setConnectEnabled(false);
    Q_EMIT chatLogReplaced(QStringLiteral("Connecting to ") + host + QStringLiteral("...") + crlf);
    resetReceiving();
    m_socket->setRemoteHost(host);
    m_socket->setRemotePort(*port);
    m_socket->connectToRemote();
}

void IrcSession::disconnectClicked()
{
    Q_EMIT chatLogReplaced(QStringLiteral("Disconnected"));
    m_socket->close();
    resetReceiving();
    setConnectEnabled(true);
}

void IrcSession::onConnected()
{
    Q_EMIT chatLogReplaced(QStringLiteral("Connected.. (Waiting for authorization)") + crlf);
    m_socket->sendData(IrcLine::nickLine(m_settings->value(Settings::IrcNickname)));
    m_socket->sendData(
        IrcLine::userLine(m_settings->value(Settings::IrcUserName), m_socket->localHost(), m_socket->localPort()));
    m_socket->sendData(IrcLine::joinLine(m_settings->value(Settings::IrcChannel)));
}

void IrcSession::onDataArrival()
{
    receive(m_socket->getData());
}

void IrcSession::receive(const QByteArray& bytes)
{
    const QString channel = m_settings->value(Settings::IrcChannel);
    QString entries;
    bool logReplaced = false;
    for (const QByteArray& received : m_assembler.append(bytes)) {
        const QString text = IrcLine::decode(received);
        if (text.startsWith(QLatin1String("PING"))) {
            m_socket->sendData(IrcLine::pongLine(text.mid(5)));
            continue;
        }
        const IrcLine line = IrcLine::parse(text);
        if (takeNamesLine(line, channel))
            continue;
        if (text.contains(QLatin1String("Found your hostname"))) {
            // The server has started on us: the log restarts here.
            entries = QStringLiteral("Connected OK") + crlf;
            logReplaced = true;
            continue;
        }
        entries += line.displayEntry();
        entries += crlf;
    }
    if (logReplaced)
        Q_EMIT chatLogReplaced(entries);
    else if (!entries.isEmpty())
        Q_EMIT chatLogAppended(entries);
    if (m_usersChanged) {
        m_usersChanged = false;
        Q_EMIT usersListChanged(m_users);
    }
}

bool IrcSession::takeNamesLine(const IrcLine& line, const QString& channel)
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

bool IrcSession::submitInput(const QString& text)
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
    m_socket->sendData(IrcLine::privmsgLine(m_settings->value(Settings::IrcChannel), text));
    Q_EMIT chatLogAppended(QStringLiteral("\u00BB\u00BB") + m_settings->value(Settings::IrcNickname) +
                           QStringLiteral("\u00AB\u00AB: ") + text + crlf);
    return true;
}

void IrcSession::usersClicked()
{
    if (!isConnected()) {
        Q_EMIT statusChanged(QStringLiteral("Not Connected to IRC"));
        return;
    }
    m_socket->sendData(IrcLine::namesLine(m_settings->value(Settings::IrcChannel)));
    Q_EMIT showUsersWindow();
}

void IrcSession::refreshUsersClicked()
{
    if (isConnected())
        m_socket->sendData(IrcLine::namesLine(m_settings->value(Settings::IrcChannel)));
}

void IrcSession::setConnectEnabled(bool enabled)
{
    if (m_connectEnabled == enabled)
        return;
    m_connectEnabled = enabled;
    Q_EMIT connectEnabledChanged(enabled);
}

void IrcSession::resetReceiving()
{
    m_assembler.clear();
    m_namesBatchOpen = false;
}
