#pragma once

#include "testscriptstep.h"
#include "testserverprofile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the test network runs: the master server's settings and the game
// servers, from the command line and/or a scenario file (see usage()).
struct TestScenario
{
    // The command line and the scenario file format, as printed by --help.
    static QString usage();

    quint16 masterPort = 0;
    int recordsPerPart = 60;
    int ackTimeoutMs = 500;
    // Info requests each game server leaves unanswered, in percent.
    int dropPercent = 0;
    quint32 seed = 1;
    bool log = false;
    QList<TestServerProfile> servers;
    // The timed changes, in time order (equal times in file order).
    QList<TestScriptStep> script;

    // Nothing on a bad argument or file; `error` then says why.
    static std::optional<TestScenario> fromArguments(const QStringList& arguments, QString* error);
    // The servers of a scenario file's text; its script lines go to `script`
    // (their server indexes count in this file's servers).
    static std::optional<QList<TestServerProfile>>
    parseServers(const QByteArray& text, QList<TestScriptStep>* script, QString* error);
    // `count` servers, the same for the same seed; `silent` of them silent.
    static QList<TestServerProfile> generate(int count, quint32 seed, int minDelayMs,
                                             int maxDelayMs, int silent);
};
