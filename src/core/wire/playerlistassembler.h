#pragma once

#include "core/wire/playerlist.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>

#include <optional>

// Joins the segments of scores-form answers. Segments belong together when
// they come from one sender (address and port) with one response id and one
// segment count; a segment that disagrees about the count starts that answer
// afresh, so two answers are never mixed. A repeated sequence is ignored.
class PlayerListAssembler
{
public:
    // Answers held open at once; the oldest is dropped to make room.
    static constexpr int maxOpenAnswers = 8;

    // The whole payload once the segment completes its answer, else nothing.
    std::optional<QByteArray> add(const QHostAddress& sender, quint16 senderPort,
                                  const PlayerListProtocol::Segment& segment);
    // The list a datagram gives: a names-form list at once, a scores-form
    // list once the segment completes its answer; else nothing.
    std::optional<PlayerList> take(const QHostAddress& sender, quint16 senderPort,
                                   const PlayerListProtocol::Datagram& datagram);
    // Drops every answer still open.
    void clear() { m_open.clear(); }
    int openAnswers() const { return int(m_open.size()); }

private:
    struct OpenAnswer
    {
        QHostAddress sender;
        quint16 senderPort = 0;
        quint8 responseId = 0;
        QList<std::optional<QByteArray>> slices;
    };

    QList<OpenAnswer> m_open;
};
