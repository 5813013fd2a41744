#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpSocket>

#include <functional>

// A second IRC client for tests: registers, joins a channel, answers PING,
// sends messages and records every line the server sends it.
class IrcPeer : public QObject
{
    Q_OBJECT
public:
    using LinePredicate = std::function<bool(const QByteArray&)>;

    explicit IrcPeer(const QByteArray& nick, QObject* parent = nullptr);

    // Connects to 127.0.0.1:port, registers and joins; true once the
    // server has confirmed the join (bounded wait).
    bool joinChannel(quint16 port, const QByteArray& channel, int timeoutMs = 5000);
    void sendLine(const QByteArray& line);
    void sendPrivmsg(const QByteArray& channel, const QByteArray& text);
    // A peer that stops answering PING shows that the server enforces it.
    void setAnswerPings(bool answer) { m_answerPings = answer; }
    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

    QByteArray nick() const { return m_nick; }
    QList<QByteArray> lines() const { return m_lines; }
    bool hasLine(const LinePredicate& predicate) const;
    // Processes events until a received line matches or the time is up.
    bool waitForLine(const LinePredicate& predicate, int timeoutMs = 5000);

private:
    void onReadyRead();

    QByteArray m_nick;
    QTcpSocket m_socket;
    QByteArray m_pending;
    QList<QByteArray> m_lines;
    bool m_answerPings = true;
};
