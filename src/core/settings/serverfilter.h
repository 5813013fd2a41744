#pragma once

#include <QString>
#include <QStringView>

#include <optional>

struct InfoReply;

// The game types a player can choose; All lets every game type byte through.
enum class GameTypeFilter
{
    Deathmatch,
    CaptureTheFlag,
    TeamDeathmatch,
    All,
};

// The game versions a player can choose; All lets every version byte
// through, an unknown one too.
enum class VersionFilter
{
    Version10,
    Version11,
    Version12,
    Version13,
    All,
};

// Which servers the list shows. Each choice is empty until the player makes
// it; a query cycle does not start before both are made. The three hide
// flags drop servers a player cannot or would not join.
struct ServerFilter
{
    std::optional<GameTypeFilter> gameType;
    std::optional<VersionFilter> version;
    bool hideEmpty = false;
    bool hideFull = false;
    bool hidePassword = false;

    bool isComplete() const { return gameType && version; }
    // A choice not made yet lets everything through. Full: as many players
    // as places (a server that names no places is never full).
    bool passes(const InfoReply& reply) const;

    friend bool operator==(const ServerFilter&, const ServerFilter&) = default;
};

// The word for each choice, as varnholt.conf keeps it and varnholt-query
// takes it: "dm", "ctf", "tdm", "all"; "1.0" to "1.3", "all".
QString filterWord(GameTypeFilter choice);
QString filterWord(VersionFilter choice);
// The choice `word` names; nothing when it names none.
std::optional<GameTypeFilter> gameTypeFilterNamed(QStringView word, Qt::CaseSensitivity cs);
std::optional<VersionFilter> versionFilterNamed(QStringView word, Qt::CaseSensitivity cs);
