#pragma once

#include <QHashFunctions>
#include <QMetaType>
#include <QString>
#include <QStringView>

#include <optional>

// Where a game server is asked: the host as it was listed (a dotted address
// from the master server or the address cache, or a name a player typed) and
// the UDP port. Two servers on one address differ by port.
struct ServerEndpoint
{
    QString host;
    quint16 port = 0;

    // "host:port", as the list and the clipboard show it.
    QString text() const { return host + u':' + QString::number(port); }

    // "host:port" with a port from 1 to 65535 and a host without blanks or
    // colons (an IPv6 address has no form here); nothing otherwise.
    static std::optional<ServerEndpoint> parse(QStringView text);

    friend bool operator==(const ServerEndpoint&, const ServerEndpoint&) = default;
};

inline size_t qHash(const ServerEndpoint& endpoint, size_t seed = 0)
{
    return qHashMulti(seed, endpoint.host, endpoint.port);
}

Q_DECLARE_METATYPE(ServerEndpoint)
