#pragma once

#include "core/settings/serverfilter.h"
#include "core/wire/serverendpoint.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What varnholt-query was asked to do, read from its command line.
struct QueryOptions
{
    enum class Format
    {
        Table,
        Json,
        Csv,
    };

    bool help = false;
    bool version = false;

    // Given with --master; nothing: the player's settings decide.
    std::optional<ServerEndpoint> master;
    // --server and --servers-from: given either, the master is not asked.
    QList<ServerEndpoint> servers;
    QStringList serverFiles;
    bool favourites = false;

    int requestsPerSecond = 250;
    int replyTimeoutMs = 4000;
    int masterTimeoutMs = 10000;
    bool oneAtATime = false;
    bool players = false;
    quint16 localPort = 0;

    ServerFilter filter{GameTypeFilter::All, VersionFilter::All};
    bool includeSilent = false;
    // Nothing: a table for a terminal, JSON otherwise.
    std::optional<Format> format;

    // --watch: ask again every this many ms and print the changes.
    std::optional<int> watchIntervalMs;
    // --friends: player events only for the friends list (asks for players).
    bool friends = false;

    bool skipsMaster() const { return !servers.isEmpty() || !serverFiles.isEmpty(); }

    // The arguments after the program's name. Nothing, with a one-line
    // reason in `error`, when they are not understood.
    static std::optional<QueryOptions> parse(const QStringList& arguments, QString* error);
    static QString usage();
};
