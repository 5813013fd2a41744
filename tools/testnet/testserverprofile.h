#pragma once

#include "core/wire/inforeply.h"
#include "core/wire/playerlist.h"

#include <QByteArray>

#include <optional>

// One game server of the test network: what it answers and how.
struct TestServerProfile
{
    InfoReply info;
    int delayMs = 0;     // time between the info request and the reply
    bool silent = false; // never replies
    QByteArray trailing; // bytes after the flags byte, as patched servers send
    // Answers the player-list request in the list's form; nothing: never.
    std::optional<PlayerList> players;
};
