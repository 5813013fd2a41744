#pragma once

#include "testserverprofile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the test network runs: the master server's settings and the game
// servers, from the command line and/or a scenario file.
//
//   --master-port N   master server port on 127.0.0.1 (default 0: any free port)
//   --servers N       generate N game servers with varied names, maps, mods
//   --seed N          seed for generating (default 1)
//   --delay MS|A-B    reply delay of generated servers in ms (default 0)
//   --silent N        how many generated servers never reply (default 0)
//   --scenario FILE   game servers from FILE, listed before generated ones
//   --per-part N      records per list part, 1..255 (default 60)
//   --ack-timeout MS  resend a list datagram after MS without its ack (500)
//   --log             print every datagram received
//
// A scenario file has one game server per line, fields separated by "|":
//   name | map | mod | game type | players/max | version byte
//        [| delay ms [| silent [| trailing bytes in hex]]]
// e.g. "Rail Yard | dm02 | | 0 | 5/16 | 145 | 40 | no | 0a0b". Blank lines and
// lines starting with "#" are skipped. Game type: 0 DM, 1 CTF, 2 TDM.
struct TestScenario
{
    quint16 masterPort = 0;
    int recordsPerPart = 60;
    int ackTimeoutMs = 500;
    bool log = false;
    QList<TestServerProfile> servers;

    // Nothing on a bad argument or file; `error` then says why.
    static std::optional<TestScenario> fromArguments(const QStringList& arguments, QString* error);
    // The servers of a scenario file's text.
    static std::optional<QList<TestServerProfile>> parseServers(const QByteArray& text,
                                                                QString* error);
    // `count` servers, the same for the same seed; `silent` of them silent.
    static QList<TestServerProfile> generate(int count, quint32 seed, int minDelayMs,
                                             int maxDelayMs, int silent);
};
