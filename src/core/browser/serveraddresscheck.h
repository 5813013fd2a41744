#pragma once

#include "core/platform/udpchannel.h"
#include "core/wire/serverendpoint.h"

#include <QObject>
#include <QString>

#include <optional>

// Checks a server address a player typed before it is kept: "host:port" in
// the form ServerEndpoint reads, and a host that can be found (a name is
// looked up for an IPv4 address, as the browser asks servers).
class ServerAddressCheck : public QObject
{
    Q_OBJECT
public:
    enum class Problem
    {
        NotAnAddress,
        HostNotFound,
    };
    Q_ENUM(Problem)

    explicit ServerAddressCheck(QObject* parent = nullptr);

    // Abandons a check in progress. A text that is no address is rejected
    // before this returns; a host name is answered once it is looked up.
    void check(const QString& text);
    bool isChecking() const { return m_pending.has_value(); }

Q_SIGNALS:
    void accepted(const ServerEndpoint& server);
    // `detail` says why a look-up failed; empty otherwise.
    void rejected(const QString& text, ServerAddressCheck::Problem problem, const QString& detail);

private:
    // Never bound: the channel serves for its look-ups.
    UdpChannel m_channel{this};
    std::optional<ServerEndpoint> m_pending;
};
