#pragma once

#include "core/browser/serverentry.h"
#include "core/wire/playerlist.h"

#include <QList>
#include <QString>

#include <optional>

// What a run of varnholt-query found, for the output formats.
struct QueryReport
{
    struct Master
    {
        QString host;
        quint16 port = 0;
        // Records the master listed, repeats included.
        int servers = 0;
    };

    struct Server
    {
        // answered is false for a server that did not answer in its time.
        ServerEntry entry;
        // Only when player lists were asked for; nothing when the server
        // gave no whole list (the stock game lists none).
        std::optional<PlayerList> players;
    };

    // Nothing when the servers were given rather than listed by the master.
    std::optional<Master> master;
    // Servers asked (each once) and servers that answered.
    int queried = 0;
    int answered = 0;
    qint64 elapsedMs = 0;
    bool withPlayers = false;
    // The servers to print, in the order they were asked.
    QList<Server> servers;
};
