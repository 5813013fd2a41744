#include "core/wire/playerlistassembler.h"

#include <algorithm>

std::optional<QByteArray> PlayerListAssembler::add(const QHostAddress& sender, quint16 senderPort,
                                                   const PlayerListProtocol::Segment& segment)
{
    if (segment.total == 0 || segment.sequence >= segment.total)
        return std::nullopt;
    auto answer = std::find_if(m_open.begin(), m_open.end(), [&](const OpenAnswer& open) {
        return open.senderPort == senderPort && open.responseId == segment.responseId &&
               open.sender.isEqual(sender, QHostAddress::ConvertV4MappedToIPv4);
    });
    if (answer != m_open.end() && answer->slices.size() != segment.total)
        answer->slices = QList<std::optional<QByteArray>>(segment.total);
    if (answer == m_open.end()) {
        if (m_open.size() >= maxOpenAnswers)
            m_open.removeFirst();
        m_open.append({sender, senderPort, segment.responseId,
                       QList<std::optional<QByteArray>>(segment.total)});
        answer = m_open.end() - 1;
    }
    std::optional<QByteArray>& slot = answer->slices[segment.sequence];
    if (slot)
        return std::nullopt;
    slot = segment.slice;
    if (!std::all_of(answer->slices.cbegin(), answer->slices.cend(),
                     [](const std::optional<QByteArray>& slice) { return slice.has_value(); }))
        return std::nullopt;
    QByteArray payload;
    for (const std::optional<QByteArray>& slice : std::as_const(answer->slices))
        payload += *slice;
    m_open.erase(answer);
    return payload;
}

std::optional<PlayerList> PlayerListAssembler::take(const QHostAddress& sender, quint16 senderPort,
                                                    const PlayerListProtocol::Datagram& datagram)
{
    if (const auto* names = std::get_if<PlayerList>(&datagram))
        return *names;
    if (const auto* segment = std::get_if<PlayerListProtocol::Segment>(&datagram)) {
        if (const std::optional<QByteArray> payload = add(sender, senderPort, *segment))
            return PlayerListProtocol::parseScores(*payload);
    }
    return std::nullopt;
}
