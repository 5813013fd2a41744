#pragma once

#include "core/platform/udpchannel.h"
#include "core/wire/serverendpoint.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

struct MasterDatagram;

// Asks the master server for the running game servers: one list request,
// then every list part and the list end acknowledged as they come. Hands
// the servers to whoever asked, part by part and as a whole.
//
// A run ends with finished(), with failed(), or with stop(). Only datagrams
// from the master's address and port count.
class MasterListClient : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        Idle,
        // The master's host name is being looked up; nothing is sent yet.
        LookingUp,
        // The list request is out; list parts are acknowledged until the end.
        Receiving,
    };

    enum class Failure
    {
        // The master said nothing for the silence time-out.
        Silence,
        // The socket failed (e.g. the local port is taken); with its description.
        SocketError,
        // The master's host name has no IPv4 address; with the resolver's reason.
        HostNotFound,
    };
    Q_ENUM(Failure)

    static constexpr int defaultSilenceTimeoutMs = 10000;

    explicit MasterListClient(QObject* parent = nullptr);

    // Sends the list request from `localPort` to `host` (a name or a dotted
    // address) at `port`. A run in progress is abandoned first.
    void start(const QString& host, quint16 port, quint16 localPort);
    // Abandons a run without a result and closes the socket. Harmless when idle.
    void stop();
    State state() const { return m_state; }
    bool isRunning() const { return m_state != State::Idle; }

    // How long the master may stay silent after the request or its last
    // datagram before the run fails.
    void setSilenceTimeout(int ms) { m_silenceTimer.setInterval(ms); }
    int silenceTimeout() const { return m_silenceTimer.interval(); }

Q_SIGNALS:
    // One list part, already acknowledged: the total the master announces
    // and the servers it carries (none when the total is 0).
    void listPartReceived(quint16 serverTotal, const QList<ServerEndpoint>& servers);
    // The list end, acknowledged; the socket is closed. Every part's
    // servers in the order they came, duplicates kept.
    void finished(const QList<ServerEndpoint>& servers);
    void failed(MasterListClient::Failure failure, const QString& description);

private:
    void sendRequest(const QHostAddress& master);
    void onDatagram(const UdpChannel::Datagram& datagram);
    void onHostFound(const QHostAddress& address);
    void handleListPart(const MasterDatagram& part);
    void handleListEnd(const MasterDatagram& end);
    void fail(Failure failure, const QString& description);

    UdpChannel m_channel{this};
    QTimer m_silenceTimer;
    State m_state = State::Idle;
    QHostAddress m_master;
    quint16 m_port = 0;
    quint16 m_localPort = 0;
    QList<ServerEndpoint> m_servers;
};
