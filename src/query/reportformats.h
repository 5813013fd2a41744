#pragma once

#include "core/browser/watchevents.h"
#include "query/queryreport.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>

// The three ways varnholt-query prints a report, as UTF-8. Texts from the
// wire are read as Latin-1.
namespace ReportFormats {

// One server's fields as the JSON output has them (the CSV output's too):
// address, port, name, map, mod, version, version_byte, game_type,
// game_type_name, players, max_players, ping_ms, password, dedicated,
// not_lan, patch, responded, and player_list when the report has player
// lists. What a server did not tell is null.
QJsonObject serverFields(const QueryReport::Server& server, bool withPlayers);

// {"master", "queried", "answered", "elapsed_ms", "servers"}, indented.
QByteArray json(const QueryReport& report);
// The lines of --watch, each one compact JSON object and a LF, with "event"
// and "time" (ISO 8601, UTC) added: the first round's report as json() has
// it ("snapshot"), and one change with the server's fields (no player_list)
// and what the change holds: "players_before" (players_changed), "player"
// (player_joined, player_left), "map_before" (map_changed); server_down
// gives the fields last seen with "responded" false.
QByteArray snapshotLine(const QueryReport& report, const QDateTime& time);
QByteArray eventLine(const WatchEvent& event, const QDateTime& time);
// A header row, then a row per server (RFC 4180: CR LF line ends, fields
// with a comma, quote, CR or LF quoted, quotes doubled). Null is an empty
// field; player_list holds the names, one a line.
QByteArray csv(const QueryReport& report);
// The browser's columns (the address with its port), most players first,
// then by name; servers that did not answer last. With player lists, each
// server's players on a line under it. Control characters are shown as "?",
// so that a name cannot drive the terminal.
QByteArray table(const QueryReport& report);

// "1 server asked, 0 answered", "2 servers asked, ...": the table's last
// line and the progress line on a terminal begin with it.
QString countsText(int asked, int answered);

} // namespace ReportFormats
