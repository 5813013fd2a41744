#include "core/browser/serveraddresscheck.h"

ServerAddressCheck::ServerAddressCheck(QObject* parent) : QObject(parent)
{
    connect(&m_channel, &UdpChannel::hostFound, this, [this](const QString& host) {
        if (!m_pending || m_pending->host != host)
            return;
        const ServerEndpoint server = *m_pending;
        m_pending.reset();
        Q_EMIT accepted(server);
    });
    connect(&m_channel, &UdpChannel::hostNotFound, this,
            [this](const QString& host, const QString& why) {
                if (!m_pending || m_pending->host != host)
                    return;
                const ServerEndpoint server = *m_pending;
                m_pending.reset();
                Q_EMIT rejected(server.text(), Problem::HostNotFound, why);
            });
}

void ServerAddressCheck::check(const QString& text)
{
    m_channel.close();
    m_pending.reset();
    const std::optional<ServerEndpoint> server = ServerEndpoint::parse(text.trimmed());
    if (!server) {
        Q_EMIT rejected(text, Problem::NotAnAddress, {});
        return;
    }
    m_pending = server;
    if (m_channel.resolve(server->host)) {
        m_pending.reset();
        Q_EMIT accepted(*server);
    }
}
