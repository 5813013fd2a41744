#include "core/wire/ircline.h"

#include <algorithm>

#include "core/wire/textdecoding.h"

QString IrcLine::decode(const QByteArray& bytes)
{
    return decodeUtf8OrLatin1(bytes);
}

IrcLine IrcLine::parse(const QString& line)
{
    IrcLine parsed;
    parsed.text = line;
    qsizetype pos = 0;
    const qsizetype size = line.size();
    auto skipBlanks = [&] {
        while (pos < size && line.at(pos) == u' ')
            ++pos;
    };
    auto nextWord = [&] {
        const qsizetype start = pos;
        while (pos < size && line.at(pos) != u' ')
            ++pos;
        return line.mid(start, pos - start);
    };

    if (line.startsWith(u':')) {
        pos = 1;
        parsed.prefix = nextWord();
        const qsizetype bang = parsed.prefix.indexOf(u'!');
        if (bang > 0 && parsed.prefix.indexOf(u'@', bang + 1) > bang + 1)
            parsed.nick = parsed.prefix.left(bang);
    }
    skipBlanks();
    parsed.command = nextWord();
    for (skipBlanks(); pos < size; skipBlanks()) {
        if (line.at(pos) == u':') {
            parsed.params.append(line.mid(pos + 1));
            parsed.hasTrailing = true;
            break;
        }
        parsed.params.append(nextWord());
    }
    return parsed;
}

QByteArray IrcLine::encode(QString line)
{
    line.remove(u'\r');
    line.remove(u'\n');
    line.remove(QChar(0));
    return line.toUtf8() + "\r\n";
}

QByteArray IrcLine::nickLine(const QString& nickname)
{
    return encode(QStringLiteral("NICK ") + nickname);
}

QByteArray IrcLine::userLine(const QString& userName, const QString& localHost, quint16 localPort)
{
    // A parameter that begins with ":" would swallow the rest of the line as
    // its trailing text, and IPv6 addresses such as "::1" do: "0::1" is the
    // same address and a plain parameter.
    const QString host = localHost.startsWith(u':') ? u'0' + localHost : localHost;
    const QString address = host + u':' + QString::number(localPort) + QStringLiteral("/0");
    return encode(QStringLiteral("USER ") + userName + u' ' + host + u' ' + address.toUpper() +
                  QStringLiteral(" :Varnholt IRC Client"));
}

QByteArray IrcLine::joinLine(const QString& channel)
{
    return encode(QStringLiteral("JOIN ") + channel);
}

QByteArray IrcLine::privmsgLine(const QString& channel, const QString& text)
{
    return encode(QStringLiteral("PRIVMSG ") + channel + QStringLiteral(" :") + text);
}

QByteArray IrcLine::namesLine(const QString& channel)
{
    return encode(QStringLiteral("NAMES ") + channel);
}

int IrcLine::numeric() const
{
    if (command.size() != 3 ||
        !std::all_of(command.begin(), command.end(), [](QChar c) { return c.isDigit(); }))
        return -1;
    return command.toInt();
}

QByteArray IrcLine::pongLine(const QString& token)
{
    return encode(QStringLiteral("PONG ") + token);
}

QByteArray IrcLine::pingLine(const QString& token)
{
    return encode(QStringLiteral("PING :") + token);
}

QByteArray IrcLine::noticeLine(const QString& target, const QString& text)
{
    return encode(QStringLiteral("NOTICE ") + target + QStringLiteral(" :") + text);
}

QByteArray IrcLine::quitLine()
{
    return encode(QStringLiteral("QUIT"));
}
