#include "core/wire/inforeply.h"

#include <array>

namespace {

struct KnownVersion
{
    quint8 byte;
    const char* text;
};

constexpr std::array<KnownVersion, 4> knownVersions{{
    {133, "1.0"},
    {135, "1.1"},
    {137, "1.2"},
    {145, "1.3"},
}};

// Reads forward through a datagram; never past its end.
class Cursor
{
public:
    explicit Cursor(const QByteArray& bytes, qsizetype at) : m_bytes(bytes), m_at(at) {}

    quint8 byte()
    {
        const quint8 value = m_at < m_bytes.size() ? quint8(m_bytes[m_at]) : 0;
        ++m_at;
        return value;
    }

    QByteArray text()
    {
        const qsizetype end = m_at < m_bytes.size() ? m_bytes.indexOf('\0', m_at) : -1;
        if (end < 0) {
            m_at = 0;
            m_wrapped = true;
            return {};
        }
        const QByteArray value = m_bytes.mid(m_at, end - m_at);
        m_at = end + 1;
        return value;
    }

    // What is left after the read position, unless a text had no NUL.
    QByteArray rest() const { return m_wrapped ? QByteArray() : m_bytes.mid(m_at); }

private:
    const QByteArray& m_bytes;
    qsizetype m_at;
    bool m_wrapped = false;
};

} // namespace

namespace InfoProtocol {

QByteArray request()
{
    return QByteArray(4, '\0');
}

std::optional<InfoReply> parseReply(const QByteArray& datagram, QByteArray* trailing)
{
    if (datagram.size() < InfoProtocol::minimumReplySize)
        return std::nullopt;
    InfoReply reply;
    Cursor cursor(datagram, 4);
    reply.version = cursor.byte();
    reply.name = cursor.text();
    reply.gameType = cursor.byte();
    reply.players = cursor.byte();
    reply.maxPlayers = cursor.byte();
    reply.map = cursor.text();
    reply.mod = cursor.text();
    reply.flags = cursor.byte();
    if (trailing)
        *trailing = cursor.rest();
    return reply;
}

QByteArray encodeReply(const InfoReply& reply, const QByteArray& trailing)
{
    QByteArray body;
    body += char(reply.version);
    body += reply.name + '\0';
    body += char(reply.gameType);
    body += char(reply.players);
    body += char(reply.maxPlayers);
    body += reply.map + '\0';
    body += reply.mod + '\0';
    body += char(reply.flags);
    body += trailing;

    QByteArray datagram;
    datagram += '\0';
    datagram += '\x01';
    datagram += char(body.size() & 0xff);
    datagram += char((body.size() >> 8) & 0xff);
    return datagram + body;
}

QByteArray gameTypeName(quint8 gameType)
{
    static const char* const names[] = {"DM", "CTF", "TDM"};
    return gameType < 3 ? QByteArray(names[gameType]) : QByteArray();
}

QByteArray versionText(quint8 versionByte)
{
    for (const KnownVersion& known : knownVersions) {
        if (known.byte == versionByte)
            return known.text;
    }
    return {};
}

std::optional<int> versionIndex(quint8 versionByte)
{
    for (int i = 0; i < int(knownVersions.size()); ++i) {
        if (knownVersions[i].byte == versionByte)
            return i;
    }
    return std::nullopt;
}

} // namespace InfoProtocol
