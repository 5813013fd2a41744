#pragma once

#include "core/browser/rflink.h"
#include "core/wire/serverendpoint.h"

#include <QString>

#include <optional>

// The questions and notices around a game launch, shown to the player.
class LaunchPrompts
{
public:
    virtual ~LaunchPrompts() = default;
    // "Click OK to start Red Faction": true for OK.
    virtual bool confirmStart() = 0;
    // The same question naming the server's address and port, for a server
    // named by a link: nothing from outside starts unasked.
    virtual bool confirmJoin(const ServerEndpoint& server) = 0;
    // "Please set the Red Faction directory in the options panel".
    virtual void reportMissingDirectory() = 0;
    // The game is there but could not be started, and why.
    virtual void reportStartFailure(const QString& why) = 0;
    // The password of a server that asks for one; nothing for Cancel.
    virtual std::optional<QString> askPassword(const ServerEndpoint& server) = 0;
    virtual void reportUnusablePassword(RfLink::PasswordProblem problem) = 0;
    // A link that cannot be used; nothing is started.
    virtual void reportBadLink(RfLink::Error error) = 0;
    // The stock game cannot join by itself: hands the player the address to
    // type into the game (on the clipboard).
    virtual void offerAddress(const ServerEndpoint& server) = 0;
};
