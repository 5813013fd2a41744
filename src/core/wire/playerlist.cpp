#include "core/wire/playerlist.h"

#include <QtEndian>

namespace {

constexpr quint8 replyType = 0xa1;
constexpr quint8 namesForm = 1;
constexpr quint8 scoresForm = 2;
constexpr int headerSize = 4;

// Reads forward through bytes; a read that would pass the end fails and
// leaves the reader failed.
class StrictReader
{
public:
    explicit StrictReader(QByteArrayView bytes) : m_bytes(bytes) {}

    bool ok() const { return m_ok; }
    bool atEnd() const { return m_at >= m_bytes.size(); }

    template <typename T> T number()
    {
        if (!m_ok || m_bytes.size() - m_at < qsizetype(sizeof(T))) {
            m_ok = false;
            return 0;
        }
        const T value = qFromLittleEndian<T>(m_bytes.data() + m_at);
        m_at += sizeof(T);
        return value;
    }

    // Up to the next NUL, which is passed over; fails without one.
    QByteArray text()
    {
        const qsizetype end = m_ok ? m_bytes.indexOf('\0', m_at) : -1;
        if (end < 0) {
            m_ok = false;
            return {};
        }
        const QByteArray value = m_bytes.sliced(m_at, end - m_at).toByteArray();
        m_at = end + 1;
        return value;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_at = 0;
    bool m_ok = true;
};

QByteArray limitedName(const QByteArray& name)
{
    return name.left(PlayerListProtocol::maxNameBytes);
}

PlayerList parseNames(StrictReader& reader, bool showAddresses)
{
    PlayerList list;
    while (!reader.atEnd()) {
        PlayerList::Player player;
        // Addresses are not shown to the player.
        if (showAddresses)
            reader.number<quint32>();
        player.name = reader.text();
        // A tail too short for an address, without a NUL, or empty (the
        // reserved bytes) is not a player.
        if (!reader.ok() || player.name.isEmpty())
            break;
        player.name = limitedName(player.name);
        list.players.append(player);
    }
    return list;
}

void appendLittleEndian16(QByteArray& bytes, quint16 value)
{
    bytes += char(value & 0xff);
    bytes += char(value >> 8);
}

void appendLittleEndian32(QByteArray& bytes, quint32 value)
{
    appendLittleEndian16(bytes, quint16(value & 0xffff));
    appendLittleEndian16(bytes, quint16(value >> 16));
}

QByteArray frame(const QByteArray& body)
{
    QByteArray datagram;
    datagram += '\0';
    datagram += char(replyType);
    appendLittleEndian16(datagram, quint16(body.size()));
    return datagram + body;
}

} // namespace

QByteArray PlayerList::teamText(const Player& player) const
{
    if (form != Form::Scores)
        return {};
    if (player.isSpectator())
        return "spectator";
    // The game types CTF (1) and TDM (2).
    if (gameType != 1 && gameType != 2)
        return {};
    return player.isBlueTeam() ? "blue" : "red";
}

namespace PlayerListProtocol {

QByteArray request()
{
    return QByteArray::fromHex("003a0000");
}

bool isAnswer(const QByteArray& datagram)
{
    return datagram.size() >= 2 && datagram[0] == '\0' && quint8(datagram[1]) == replyType;
}

Datagram parseDatagram(const QByteArray& datagram)
{
    if (datagram.size() < headerSize + 1 || !isAnswer(datagram))
        return {};
    const qsizetype size = qFromLittleEndian<quint16>(datagram.constData() + 2);
    if (headerSize + size > datagram.size())
        return {};
    StrictReader reader(QByteArrayView(datagram).sliced(headerSize, size));
    const quint8 form = reader.number<quint8>();
    if (form == namesForm) {
        const bool showAddresses = reader.number<quint8>() != 0;
        if (!reader.ok())
            return {};
        return parseNames(reader, showAddresses);
    }
    if (form != scoresForm)
        return {};
    Segment segment;
    segment.responseId = reader.number<quint8>();
    segment.sequence = reader.number<quint8>();
    segment.total = reader.number<quint8>();
    if (!reader.ok() || segment.total == 0 || segment.sequence >= segment.total)
        return {};
    segment.slice = datagram.mid(headerSize + 4, size - 4);
    return segment;
}

std::optional<PlayerList> parseScores(const QByteArray& payload)
{
    StrictReader reader(payload);
    PlayerList list;
    list.form = PlayerList::Form::Scores;
    list.redScore = reader.number<quint16>();
    list.blueScore = reader.number<quint16>();
    list.timeLeftSeconds = reader.number<quint32>();
    list.serverFlags = reader.number<quint32>();
    list.gameType = reader.number<quint8>();
    list.level = reader.text();
    if (!reader.ok())
        return std::nullopt;
    while (!reader.atEnd()) {
        PlayerList::Player player;
        player.flags = reader.number<quint8>();
        player.score = reader.number<qint16>();
        player.kills = reader.number<quint16>();
        player.deaths = reader.number<quint16>();
        player.captures = reader.number<quint16>();
        player.name = limitedName(reader.text());
        if (!reader.ok())
            break;
        list.players.append(player);
    }
    return list;
}

QByteArray encodeNames(const PlayerList& list, bool reservedTail)
{
    QByteArray body;
    body += char(namesForm);
    body += '\0'; // no addresses
    for (const PlayerList::Player& player : list.players)
        body += player.name + '\0';
    if (reservedTail)
        body += QByteArray(3, '\0');
    return frame(body);
}

QList<QByteArray> encodeScores(const PlayerList& list, quint8 responseId, int sliceBytes)
{
    QByteArray payload;
    appendLittleEndian16(payload, list.redScore);
    appendLittleEndian16(payload, list.blueScore);
    appendLittleEndian32(payload, list.timeLeftSeconds);
    appendLittleEndian32(payload, list.serverFlags);
    payload += char(list.gameType);
    payload += list.level + '\0';
    for (const PlayerList::Player& player : list.players) {
        payload += char(player.flags);
        appendLittleEndian16(payload, quint16(player.score));
        appendLittleEndian16(payload, player.kills);
        appendLittleEndian16(payload, player.deaths);
        appendLittleEndian16(payload, player.captures);
        payload += player.name + '\0';
    }
    const int total = int((payload.size() + sliceBytes - 1) / sliceBytes);
    QList<QByteArray> datagrams;
    for (int sequence = 0; sequence < total; ++sequence) {
        QByteArray body;
        body += char(scoresForm);
        body += char(responseId);
        body += char(sequence);
        body += char(total);
        body += payload.mid(qsizetype(sequence) * sliceBytes, sliceBytes);
        datagrams.append(frame(body));
    }
    return datagrams;
}

} // namespace PlayerListProtocol
