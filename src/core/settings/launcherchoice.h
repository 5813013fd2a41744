#pragma once

// Which program starts the game: kept in the preferences, acted on by the
// game launcher. Automatic takes the first community launcher found.
enum class LauncherChoice
{
    Automatic,
    RedFaction,
    DashFaction,
    AlpineFaction,
};
