#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <optional>
#include <variant>

// Who is on a server, as a patched server tells it without a join. The
// names form (Dash Faction, Pure Faction) carries names only; the scores
// form (Alpine Faction) adds each player's numbers, the team scores and the
// time left. Names are kept as the bytes the server sent (shown as Latin-1).
struct PlayerList
{
    enum class Form
    {
        Names,
        Scores,
    };

    struct Player
    {
        QByteArray name;
        // The scores form only.
        quint8 flags = 0;
        qint16 score = 0;
        quint16 kills = 0;
        quint16 deaths = 0;
        quint16 captures = 0;

        static constexpr quint8 botFlag = 0x01;
        static constexpr quint8 browserFlag = 0x02;
        static constexpr quint8 spectatorFlag = 0x04;
        static constexpr quint8 idleFlag = 0x08;
        static constexpr quint8 blueTeamFlag = 0x10;

        bool isBot() const { return flags & botFlag; }
        bool isSpectator() const { return flags & spectatorFlag; }
        bool isBlueTeam() const { return flags & blueTeamFlag; }

        friend bool operator==(const Player&, const Player&) = default;
    };

    static constexpr quint32 noTimeLimit = 0xffffffff;

    // The player's team as players read it: "red", "blue" or "spectator";
    // empty for the names form, and for a player in a game without teams
    // (teams mean something in CTF and TDM only).
    QByteArray teamText(const Player& player) const;

    Form form = Form::Names;
    QList<Player> players;
    // The scores form only.
    quint16 redScore = 0;
    quint16 blueScore = 0;
    quint32 timeLeftSeconds = 0; // noTimeLimit, or 0 once the round is over
    quint32 serverFlags = 0;
    quint8 gameType = 0;
    QByteArray level;

    friend bool operator==(const PlayerList&, const PlayerList&) = default;
};

namespace PlayerListProtocol {

// Names are cut to this many bytes, as the game keeps them.
inline constexpr int maxNameBytes = 31;

// The player-list request: 00 3A 00 00.
QByteArray request();

// One datagram of the scores form: a slice of the answer `responseId`.
struct Segment
{
    quint8 responseId = 0;
    quint8 sequence = 0;
    quint8 total = 0;
    QByteArray slice;

    friend bool operator==(const Segment&, const Segment&) = default;
};

// The datagram is of the player-list answer's type (00 A1), whole or not.
bool isAnswer(const QByteArray& datagram);

// A datagram 00 A1 <size> read whole: a names-form list, a segment of a
// scores-form answer, or nothing (another type, a size past the datagram's
// end, an unknown form, no segments or a sequence past the count). Bytes
// beyond the size are not looked at.
using Datagram = std::variant<std::monostate, PlayerList, Segment>;
Datagram parseDatagram(const QByteArray& datagram);

// The joined slices of a scores-form answer; nothing when the fixed part or
// the level name is cut off. A player cut off at the end is left out.
std::optional<PlayerList> parseScores(const QByteArray& payload);

// The names form as a server sends it, without addresses; `reservedTail`
// adds the three zero bytes some senders put at the end.
QByteArray encodeNames(const PlayerList& list, bool reservedTail);
// The scores form as a server sends it, in segments of at most
// `sliceBytes` bytes of payload each.
QList<QByteArray> encodeScores(const PlayerList& list, quint8 responseId, int sliceBytes);

} // namespace PlayerListProtocol
