#include "query/reportformats.h"

#include "core/browser/naturalcompare.h"
#include "core/browser/servercolumns.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include <algorithm>
#include <array>

namespace ReportFormats {

namespace {

// In the order the CSV output writes them.
constexpr std::array fieldNames{
    "address",      "port",      "name",           "map",     "mod",         "version",
    "version_byte", "game_type", "game_type_name", "players", "max_players", "ping_ms",
    "password",     "dedicated", "not_lan",        "patch",   "responded"};

QJsonValue textOrNull(const QByteArray& latin1)
{
    return latin1.isEmpty() ? QJsonValue(QJsonValue::Null) : QString::fromLatin1(latin1);
}

QJsonObject playerFields(const PlayerList& list, const PlayerList::Player& player)
{
    QJsonObject fields{{QStringLiteral("name"), QString::fromLatin1(player.name)}};
    if (list.form != PlayerList::Form::Scores)
        return fields;
    fields.insert(QStringLiteral("team"), player.isSpectator()  ? QStringLiteral("spectator")
                                          : player.isBlueTeam() ? QStringLiteral("blue")
                                                                : QStringLiteral("red"));
    fields.insert(QStringLiteral("score"), player.score);
    fields.insert(QStringLiteral("kills"), player.kills);
    fields.insert(QStringLiteral("deaths"), player.deaths);
    fields.insert(QStringLiteral("caps"), player.captures);
    fields.insert(QStringLiteral("bot"), player.isBot());
    return fields;
}

QString csvField(const QJsonValue& value)
{
    QString text;
    if (value.isBool())
        text = value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    else if (value.isDouble())
        text = QString::number(value.toInteger());
    else if (value.isString())
        text = value.toString();
    else if (value.isArray()) {
        QStringList names;
        for (const QJsonValue& player : value.toArray())
            names << player[QLatin1String("name")].toString();
        text = names.join(u'\n');
    }
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\r') &&
        !text.contains(u'\n'))
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString printable(QString text)
{
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = u'?';
    }
    return text;
}

bool tableOrder(const QueryReport::Server& left, const QueryReport::Server& right)
{
    if (left.entry.answered != right.entry.answered)
        return left.entry.answered;
    if (left.entry.info.players != right.entry.info.players)
        return left.entry.info.players > right.entry.info.players;
    return naturalCompare(QString::fromLatin1(left.entry.info.name),
                          QString::fromLatin1(right.entry.info.name)) < 0;
}

} // namespace

QJsonObject serverFields(const QueryReport::Server& server, bool withPlayers)
{
    const ServerEntry& entry = server.entry;
    const InfoReply& info = entry.info;
    QJsonObject fields{{QStringLiteral("address"), entry.endpoint.host},
                       {QStringLiteral("port"), entry.endpoint.port},
                       {QStringLiteral("responded"), entry.answered}};
    if (entry.answered) {
        fields.insert(QStringLiteral("name"), QString::fromLatin1(info.name));
        fields.insert(QStringLiteral("map"), QString::fromLatin1(info.map));
        fields.insert(QStringLiteral("mod"), QString::fromLatin1(info.mod));
        fields.insert(QStringLiteral("version"),
                      textOrNull(InfoProtocol::versionText(info.version)));
        fields.insert(QStringLiteral("version_byte"), info.version);
        fields.insert(QStringLiteral("game_type"), info.gameType);
        fields.insert(QStringLiteral("game_type_name"),
                      textOrNull(InfoProtocol::gameTypeName(info.gameType)));
        fields.insert(QStringLiteral("players"), info.players);
        fields.insert(QStringLiteral("max_players"), info.maxPlayers);
        fields.insert(QStringLiteral("ping_ms"), entry.pingMs);
        fields.insert(QStringLiteral("password"), info.needsPassword());
        fields.insert(QStringLiteral("dedicated"), bool(info.flags & InfoReply::dedicatedFlag));
        fields.insert(QStringLiteral("not_lan"), bool(info.flags & InfoReply::notLanFlag));
        fields.insert(QStringLiteral("patch"),
                      entry.patch ? QJsonValue(entry.patch->name()) : QJsonValue());
    } else {
        for (const char* name : fieldNames) {
            if (!fields.contains(QLatin1String(name)))
                fields.insert(QLatin1String(name), QJsonValue());
        }
    }
    if (!withPlayers)
        return fields;
    QJsonValue players;
    if (server.players) {
        QJsonArray list;
        for (const PlayerList::Player& player : server.players->players)
            list.append(playerFields(*server.players, player));
        players = list;
    }
    fields.insert(QStringLiteral("player_list"), players);
    return fields;
}

namespace {

QJsonObject reportFields(const QueryReport& report)
{
    QJsonArray servers;
    for (const QueryReport::Server& server : report.servers)
        servers.append(serverFields(server, report.withPlayers));
    QJsonValue master;
    if (report.master) {
        master = QJsonObject{{QStringLiteral("host"), report.master->host},
                             {QStringLiteral("port"), report.master->port},
                             {QStringLiteral("servers"), report.master->servers}};
    }
    return {{QStringLiteral("master"), master},
            {QStringLiteral("queried"), report.queried},
            {QStringLiteral("answered"), report.answered},
            {QStringLiteral("elapsed_ms"), report.elapsedMs},
            {QStringLiteral("servers"), servers}};
}

QByteArray jsonLine(QJsonObject fields, const char* event, const QDateTime& time)
{
    fields.insert(QStringLiteral("event"), QLatin1String(event));
    fields.insert(QStringLiteral("time"), time.toUTC().toString(Qt::ISODate));
    return QJsonDocument(fields).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

QByteArray json(const QueryReport& report)
{
    return QJsonDocument(reportFields(report)).toJson(QJsonDocument::Indented);
}

QByteArray snapshotLine(const QueryReport& report, const QDateTime& time)
{
    return jsonLine(reportFields(report), "snapshot", time);
}

QByteArray eventLine(const WatchEvent& event, const QDateTime& time)
{
    static constexpr const char* names[] = {"server_up",     "server_down", "players_changed",
                                            "player_joined", "player_left", "map_changed"};
    QJsonObject fields = serverFields({event.entry, std::nullopt}, false);
    switch (event.kind) {
    case WatchEvent::Kind::ServerDown:
        fields.insert(QStringLiteral("responded"), false);
        break;
    case WatchEvent::Kind::PlayersChanged:
        fields.insert(QStringLiteral("players_before"), event.playersBefore);
        break;
    case WatchEvent::Kind::PlayerJoined:
    case WatchEvent::Kind::PlayerLeft:
        fields.insert(QStringLiteral("player"), event.player);
        break;
    case WatchEvent::Kind::MapChanged:
        fields.insert(QStringLiteral("map_before"), event.mapBefore);
        break;
    case WatchEvent::Kind::ServerUp:
        break;
    }
    return jsonLine(fields, names[int(event.kind)], time);
}

QByteArray csv(const QueryReport& report)
{
    QStringList header;
    for (const char* name : fieldNames)
        header << QString::fromLatin1(name);
    if (report.withPlayers)
        header << QStringLiteral("player_list");
    QString text = header.join(u',') + QStringLiteral("\r\n");
    for (const QueryReport::Server& server : report.servers) {
        const QJsonObject fields = serverFields(server, report.withPlayers);
        QStringList row;
        for (const QString& name : std::as_const(header))
            row << csvField(fields[name]);
        text += row.join(u',') + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

QByteArray table(const QueryReport& report)
{
    QList<QueryReport::Server> servers = report.servers;
    std::stable_sort(servers.begin(), servers.end(), tableOrder);

    QList<QStringList> rows;
    QStringList header;
    for (int column = 0; column < ServerColumns::ColumnCount; ++column)
        header << ServerColumns::header(column);
    rows << header;
    for (const QueryReport::Server& server : std::as_const(servers)) {
        QStringList row;
        for (int column = 0; column < ServerColumns::ColumnCount; ++column) {
            // The port too: several servers often share one address.
            row << printable(column == ServerColumns::Address
                                 ? server.entry.endpoint.text()
                                 : ServerColumns::text(server.entry, column));
        }
        rows << row;
    }
    QList<qsizetype> widths(ServerColumns::ColumnCount, 0);
    for (const QStringList& row : std::as_const(rows)) {
        for (int column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], row[column].size());
    }

    QString text;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QString line;
        for (int column = 0; column < ServerColumns::ColumnCount; ++column)
            line += rows[i][column].leftJustified(widths[column] + 2);
        while (line.endsWith(u' '))
            line.chop(1);
        text += line + u'\n';
        const QueryReport::Server* server = i > 0 ? &servers[i - 1] : nullptr;
        if (!report.withPlayers || !server || !server->players ||
            server->players->players.isEmpty())
            continue;
        QStringList names;
        for (const PlayerList::Player& player : server->players->players)
            names << printable(QString::fromLatin1(player.name));
        text += QStringLiteral("    players: ") + names.join(QStringLiteral(", ")) + u'\n';
    }
    text += countsText(report.queried, report.answered) +
            QStringLiteral(", %1 shown, in %2 ms\n").arg(servers.size()).arg(report.elapsedMs);
    return text.toUtf8();
}

QString countsText(int asked, int answered)
{
    return (asked == 1 ? QStringLiteral("1 server asked")
                       : QStringLiteral("%1 servers asked").arg(asked)) +
           QStringLiteral(", %1 answered").arg(answered);
}

} // namespace ReportFormats
