#pragma once

#include "core/wire/masterprotocol.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

#include <memory>

class QTimer;

// A master server on 127.0.0.1. Each list request starts a session with its
// sender: the records go out in list parts, each sent after the previous
// one was acknowledged, then the list end. A datagram that is not
// acknowledged in time is sent again a few times before the session is
// dropped.
class TestMasterServer : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultRecordsPerPart = 60;
    static constexpr int defaultAckTimeoutMs = 500;
    static constexpr int resends = 3;

    explicit TestMasterServer(QObject* parent = nullptr);
    ~TestMasterServer() override;

    void setRecords(const QList<ServerRecord>& records) { m_records = records; }
    void setRecordsPerPart(int count);
    void setAckTimeout(int ms) { m_ackTimeoutMs = ms; }

    // Binds 127.0.0.1:port (0: any free port).
    bool listen(quint16 port = 0);
    quint16 port() const { return m_socket.localPort(); }

Q_SIGNALS:
    void datagramReceived(const QHostAddress& from, quint16 fromPort, const QByteArray& bytes);
    // A session's list end was acknowledged (true) or it ran out of resends.
    void sessionFinished(bool acknowledged);

private:
    struct Session;

    void onReadyRead();
    void startSession(const QHostAddress& client, quint16 clientPort);
    void sendCurrent(Session& session);
    void onAckTimeout(const QString& key);
    QList<QByteArray> buildDatagrams(quint8 sessionNumber) const;

    QUdpSocket m_socket;
    QList<ServerRecord> m_records;
    int m_recordsPerPart = defaultRecordsPerPart;
    int m_ackTimeoutMs = defaultAckTimeoutMs;
    quint8 m_sessionCount = 0;
    QHash<QString, std::shared_ptr<Session>> m_sessions;
};
