#pragma once

#include <QString>

// The questions and notices around a game launch, shown to the player.
class LaunchPrompts
{
public:
    virtual ~LaunchPrompts() = default;
    // "Click OK to start Red Faction": true for OK.
    virtual bool confirmStart() = 0;
    // "Please set the Red Faction directory in the options panel".
    virtual void reportMissingDirectory() = 0;
    // The game is there but could not be started, and why.
    virtual void reportStartFailure(const QString& why) = 0;
};
