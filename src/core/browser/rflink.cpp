#include "core/browser/rflink.h"

#include "core/wire/portnumber.h"

#include <QStringDecoder>

namespace {

const QString scheme = QStringLiteral("rf://");
const QString passwordQuery = QStringLiteral("?password=");

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    const char lower = char(c | 0x20);
    if (lower >= 'a' && lower <= 'f')
        return lower - 'a' + 10;
    return -1;
}

// `text` with every %XX replaced by its byte, the bytes read as UTF-8.
// Nothing when a '%' starts no such sequence or the bytes are not UTF-8:
// such a link is refused rather than guessed at.
std::optional<QString> percentDecoded(QStringView text)
{
    if (!text.contains(u'%'))
        return text.toString();
    const QByteArray encoded = text.toUtf8();
    QByteArray bytes;
    bytes.reserve(encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            bytes += encoded[i];
            continue;
        }
        const int high = i + 1 < encoded.size() ? hexDigitValue(encoded[i + 1]) : -1;
        const int low = i + 2 < encoded.size() ? hexDigitValue(encoded[i + 2]) : -1;
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += char(high * 16 + low);
        i += 2;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return decoded;
}

// HOST:PORT at the start of `text`; `rest` gets what follows the port.
std::optional<ServerEndpoint> readAddress(QStringView text, QStringView* rest, RfLink::Error* error)
{
    const auto failWith = [error](RfLink::Error why) {
        *error = why;
        return std::nullopt;
    };
    if (text.startsWith(u'['))
        return failWith(RfLink::Error::BracketedHost);
    qsizetype colon = 0;
    while (colon < text.size() && text[colon] != u':' && text[colon] != u'/' && text[colon] != u'?')
        ++colon;
    const QStringView host = text.left(colon);
    if (!RfLink::isValidHost(host))
        return failWith(RfLink::Error::BadHost);
    if (colon == text.size() || text[colon] != u':')
        return failWith(RfLink::Error::MissingPort);
    qsizetype end = colon + 1;
    while (end < text.size() && isAsciiDigit(text[end]))
        ++end;
    const QStringView digits = text.sliced(colon + 1, end - colon - 1);
    if (digits.isEmpty())
        return failWith(end == text.size() || text[end] == u'/' || text[end] == u'?'
                            ? RfLink::Error::MissingPort
                            : RfLink::Error::BadPort);
    if (end < text.size() && text[end] != u'/' && text[end] != u'?')
        return failWith(RfLink::Error::BadPort);
    // Digits only, so a failure here is a number out of range.
    const std::optional<quint16> port = PortNumber::parse(digits);
    if (!port)
        return failWith(RfLink::Error::PortOutOfRange);
    *rest = text.sliced(end);
    return ServerEndpoint{host.toString(), *port};
}

} // namespace

QString RfLink::text() const
{
    QString link = scheme + server.text();
    if (!password.isEmpty())
        link += passwordQuery + password;
    return link;
}

std::optional<RfLink> RfLink::parse(QStringView text, Error* error)
{
    Error why = Error::None;
    if (error)
        *error = why;
    if (!text.startsWith(scheme, Qt::CaseInsensitive)) {
        if (error)
            *error = Error::UnknownScheme;
        return std::nullopt;
    }
    const std::optional<QString> decoded = percentDecoded(text.sliced(scheme.size()));
    if (!decoded) {
        if (error)
            *error = Error::BadEncoding;
        return std::nullopt;
    }
    QStringView rest;
    const std::optional<ServerEndpoint> server = readAddress(*decoded, &rest, &why);
    if (!server) {
        if (error)
            *error = why;
        return std::nullopt;
    }
    if (rest.startsWith(u'/'))
        rest = rest.sliced(1);
    RfLink link{*server, {}};
    if (rest.startsWith(passwordQuery)) {
        link.password = rest.sliced(passwordQuery.size()).toString();
    } else if (!rest.isEmpty()) {
        if (error)
            *error = Error::BadRest;
        return std::nullopt;
    }
    return link;
}

std::optional<RfLink> RfLink::parseAddress(QStringView text, Error* error)
{
    Error why = Error::None;
    QStringView rest;
    std::optional<ServerEndpoint> server = readAddress(text, &rest, &why);
    if (server && !rest.isEmpty()) {
        server.reset();
        why = Error::BadPort;
    }
    if (error)
        *error = why;
    if (!server)
        return std::nullopt;
    return RfLink{*server, {}};
}

bool RfLink::isValidHost(QStringView host)
{
    if (host.isEmpty())
        return false;
    for (const QChar c : host) {
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        if (!letter && !isAsciiDigit(c) && c != u'.' && c != u'-')
            return false;
    }
    return true;
}

RfLink::PasswordProblem RfLink::passwordProblem(QStringView password)
{
    if (password.size() > maxPasswordLength)
        return PasswordProblem::TooLong;
    for (const QChar c : password) {
        // The launcher escapes '"' and '\' and quotes blanks, which the game
        // does not undo; control characters end or break its command line.
        if (c == u'"' || c == u'\\' || c.isSpace() || c.category() == QChar::Other_Control)
            return PasswordProblem::BadCharacter;
    }
    return PasswordProblem::None;
}
