#pragma once

#include "core/wire/lineassembler.h"

#include <QFile>
#include <QObject>
#include <QStringList>
#include <QTcpSocket>
#include <QTimer>

// Another player in the chat channel: registers on an IRC server on
// 127.0.0.1, joins the channel, greets whoever joins after it, says one of
// its lines now and then, answers PING, and can write every line it
// receives to a file, so a person or a test can see what reached the channel.
class ChatPeer : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        quint16 port = 0;
        QString nick = QStringLiteral("kasia");
        QString channel = QStringLiteral("#VNH_Lounge");
        int sayEverySeconds = 20;
        QString recordPath; // empty: record nothing
    };

    explicit ChatPeer(const Options& options, QObject* parent = nullptr);
    ~ChatPeer() override;

    // Opens the record file and starts connecting; false with a reason in
    // errorString() when the record file cannot be written.
    bool start();
    QString errorString() const { return m_error; }

    // Lines it says in turn; a fixed set keeps the demo and the tests alike.
    static QStringList chatter();

Q_SIGNALS:
    void joined();
    // The server closed the connection or it could not be made.
    void lost(const QString& reason);

private:
    void onConnected();
    void onReadyRead();
    void handleLine(const QByteArray& line);
    void sayNext();
    void send(const QByteArray& line);

    Options m_options;
    QTcpSocket m_socket;
    LineAssembler m_lines;
    QTimer m_sayTimer;
    QFile m_record;
    qsizetype m_nextChatter = 0;
    bool m_joined = false;
    QString m_error;
};
