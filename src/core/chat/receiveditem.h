#pragma once

#include "core/wire/ircline.h"

// One thing of what the server sent that the chat shows, in order of
// arrival: a line as received, or the mark where the server greeted us (its
// "Found your hostname" notice), from which the chat starts afresh. Lines
// the session answers or takes itself (PING, our channel's names) are not
// among them.
struct ReceivedItem
{
    enum class Kind
    {
        Line,
        Greeting,
    };

    Kind kind = Kind::Line;
    IrcLine line; // the greeting's own line too
};
