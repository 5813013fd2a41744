#pragma once

#include "core/wire/ctcpmessage.h"
#include "core/wire/ircline.h"

// One thing of what the server sent that the chat shows, in order of
// arrival: a line as received, the mark where the server greeted us (its
// "Found your hostname" notice), from which the chat starts afresh, or a
// client-to-client message from another user: an action ("/me"), a request
// the session does not answer, or a reply to one. Lines the session answers
// or takes itself (PING, our channel's names, a version request) are not
// among them.
struct ReceivedItem
{
    enum class Kind
    {
        Line,
        Greeting,
        Action,
        CtcpRequest,
        CtcpReply,
    };

    Kind kind = Kind::Line;
    IrcLine line;     // the greeting's own line too
    CtcpMessage ctcp; // set for the three client-to-client kinds
};
