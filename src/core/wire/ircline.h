#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// One IRC line: the decoder for what the server sends and the encoders for
// every line we send.
class IrcLine
{
public:
    // Received bytes as text: UTF-8 when they are valid UTF-8, else Latin-1
    // (older clients still send single-byte text).
    static QString decode(const QByteArray& bytes);
    // Splits "[:prefix ]command params[ :trailing]"; blanks between
    // parameters may repeat.
    static IrcLine parse(const QString& line);
    static IrcLine parse(const QByteArray& bytes) { return parse(decode(bytes)); }

    // Lines we send, each ended by CR LF and encoded as UTF-8. CR, LF and
    // NUL are removed from the texts first so no text can end a line early
    // or inject a command.
    static QByteArray nickLine(const QString& nickname);
    static QByteArray userLine(const QString& userName, const QString& localHost,
                               quint16 localPort);
    static QByteArray joinLine(const QString& channel);
    static QByteArray privmsgLine(const QString& target, const QString& text);
    static QByteArray namesLine(const QString& channel);
    static QByteArray pongLine(const QString& token);
    static QByteArray pingLine(const QString& token);
    static QByteArray noticeLine(const QString& target, const QString& text);
    static QByteArray quitLine();

    QString text;    // the whole line
    QString prefix;  // without the leading ":"
    QString nick;    // set when the prefix has the form nick!user@host
    QString command; // as received, e.g. "PRIVMSG" or "353"
    // All parameters in order, the trailing one (after " :") included.
    QStringList params;
    bool hasTrailing = false;

    // The trailing parameter, or the last one when there is no trailing
    // parameter; empty when there are none.
    QString lastParam() const { return params.isEmpty() ? QString() : params.last(); }
    // A numeric reply's number (see ircnumeric.h), or -1 for a command word.
    int numeric() const;

private:
    static QByteArray encode(QString line);
};
