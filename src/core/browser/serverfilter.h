#pragma once

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
// it; a query cycle does not start before both are made.
struct ServerFilter
{
    std::optional<GameTypeFilter> gameType;
    std::optional<VersionFilter> version;

    bool isComplete() const { return gameType && version; }
    // False while a choice is missing.
    bool passes(const InfoReply& reply) const;

    friend bool operator==(const ServerFilter&, const ServerFilter&) = default;
};
