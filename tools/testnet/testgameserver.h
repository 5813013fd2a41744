#pragma once

#include "testscriptstep.h"
#include "testserverprofile.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QRandomGenerator>
#include <QUdpSocket>

// A game server on 127.0.0.1 that answers the info request with its info
// reply after its delay, or never when it is silent. With a player list it
// answers the player-list request too: the names form at once, the scores
// form in segments of at most segmentBytes and, as those servers do, at
// most once a second for each asking address.
class TestGameServer : public QObject
{
    Q_OBJECT
public:
    static constexpr int segmentBytes = 200;

    explicit TestGameServer(const TestServerProfile& profile, QObject* parent = nullptr);

    // Binds 127.0.0.1:port (0: any free port).
    bool listen(quint16 port = 0);
    quint16 port() const { return m_socket.localPort(); }
    const TestServerProfile& profile() const { return m_profile; }
    // A scripted change: later requests are answered as the step made it.
    void apply(const TestScriptStep& step) { step.applyTo(m_profile); }
    // Leaves that share of info requests unanswered, picked at random from
    // `seed`, as if they were lost on the way.
    void setDropPercent(int percent, quint32 seed);
    // Qt's timers wait whole milliseconds, rounded up: a reply leaves up to
    // 1 ms after its delay, more on a busy machine. Exact: the last two
    // milliseconds are slept, and the last few tenths of a millisecond spun
    // (a sleep overshoots by 0.1-0.2 ms on a virtual machine), for
    // benchmarks that count the delays as the servers' own time.
    void setExactDelay(bool exact) { m_exactDelay = exact; }

Q_SIGNALS:
    void datagramReceived(const QHostAddress& from, quint16 fromPort, const QByteArray& bytes);
    void replySent(const QHostAddress& to, quint16 toPort);

private:
    void onReadyRead();
    void answerPlayerList(const QHostAddress& from, quint16 fromPort);
    void sendLater(const QList<QByteArray>& datagrams, const QHostAddress& to, quint16 toPort);

    TestServerProfile m_profile;
    QUdpSocket m_socket;
    QHash<QString, QElapsedTimer> m_lastListAnswer;
    quint8 m_responseId = 0;
    int m_dropPercent = 0;
    bool m_exactDelay = false;
    QRandomGenerator m_random;
};
