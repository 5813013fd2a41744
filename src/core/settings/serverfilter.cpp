#include "core/settings/serverfilter.h"

#include "core/settings/choicewords.h"

#include "core/wire/inforeply.h"

namespace {

constexpr ChoiceWord<GameTypeFilter> gameTypeWords[] = {
    {GameTypeFilter::Deathmatch, "dm"},
    {GameTypeFilter::CaptureTheFlag, "ctf"},
    {GameTypeFilter::TeamDeathmatch, "tdm"},
    {GameTypeFilter::All, "all"},
};

constexpr ChoiceWord<VersionFilter> versionWords[] = {
    {VersionFilter::Version10, "1.0"}, {VersionFilter::Version11, "1.1"},
    {VersionFilter::Version12, "1.2"}, {VersionFilter::Version13, "1.3"},
    {VersionFilter::All, "all"},
};

// The game type byte each choice stands for: DM 0, CTF 1, TDM 2.
bool gameTypePasses(GameTypeFilter filter, quint8 gameType)
{
    switch (filter) {
    case GameTypeFilter::Deathmatch:
        return gameType == 0;
    case GameTypeFilter::CaptureTheFlag:
        return gameType == 1;
    case GameTypeFilter::TeamDeathmatch:
        return gameType == 2;
    case GameTypeFilter::All:
        return true;
    }
    return false;
}

bool versionPasses(VersionFilter filter, quint8 versionByte)
{
    if (filter == VersionFilter::All)
        return true;
    const std::optional<int> index = InfoProtocol::versionIndex(versionByte);
    return index && *index == int(filter);
}

} // namespace

bool ServerFilter::passes(const InfoReply& reply) const
{
    if (!gameTypePasses(gameType.value_or(GameTypeFilter::All), reply.gameType) ||
        !versionPasses(version.value_or(VersionFilter::All), reply.version))
        return false;
    if (hideEmpty && reply.players == 0)
        return false;
    if (hideFull && reply.maxPlayers > 0 && reply.players >= reply.maxPlayers)
        return false;
    return !(hidePassword && reply.needsPassword());
}

QString filterWord(GameTypeFilter choice)
{
    return wordFor(gameTypeWords, choice);
}

QString filterWord(VersionFilter choice)
{
    return wordFor(versionWords, choice);
}

std::optional<GameTypeFilter> gameTypeFilterNamed(QStringView word, Qt::CaseSensitivity cs)
{
    return choiceNamed(gameTypeWords, word, cs);
}

std::optional<VersionFilter> versionFilterNamed(QStringView word, Qt::CaseSensitivity cs)
{
    return choiceNamed(versionWords, word, cs);
}
