#include "query/queryoptions.h"

#include "core/settings/settings.h"

#include <utility>

namespace {

std::optional<int> number(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

template <typename T>
std::optional<T> choice(const QString& text, std::initializer_list<std::pair<const char*, T>> all)
{
    for (const auto& [name, value] : all) {
        if (text == QLatin1String(name))
            return value;
    }
    return std::nullopt;
}

// "host" or "host:port"; the port defaults to the master's usual one.
std::optional<ServerEndpoint> masterAddress(const QString& text)
{
    if (text.contains(u':'))
        return ServerEndpoint::parse(text);
    if (text.isEmpty() || text.contains(u' '))
        return std::nullopt;
    return ServerEndpoint{text, quint16(Settings::initialText(Settings::MasterPort).toUInt())};
}

// The switch an option without a value turns on; nothing for any other.
bool* flag(QueryOptions& options, const QString& option)
{
    const std::pair<const char*, bool*> flags[] = {
        {"--help", &options.help},
        {"--version", &options.version},
        {"--favourites", &options.favourites},
        {"--one-at-a-time", &options.oneAtATime},
        {"--players", &options.players},
        {"--not-empty", &options.filter.hideEmpty},
        {"--not-full", &options.filter.hideFull},
        {"--no-password", &options.filter.hidePassword},
        {"--include-silent", &options.includeSilent},
        {"--friends", &options.friends},
    };
    for (const auto& [name, target] : flags) {
        if (option == QLatin1String(name))
            return target;
    }
    return nullptr;
}

// Sets what an option with a value sets; false when the value is not one
// it takes. `known` is false for an option that does not exist.
bool setValue(QueryOptions& options, const QString& option, const QString& value, bool* known)
{
    *known = true;
    auto assign = [](auto& target, const auto& parsed) {
        if (parsed)
            target = *parsed;
        return parsed.has_value();
    };
    if (option == QLatin1String("--master"))
        return assign(options.master, masterAddress(value));
    if (option == QLatin1String("--server")) {
        const std::optional<ServerEndpoint> server = ServerEndpoint::parse(value);
        if (server)
            options.servers.append(*server);
        return server.has_value();
    }
    if (option == QLatin1String("--servers-from")) {
        options.serverFiles.append(value);
        return !value.isEmpty();
    }
    if (option == QLatin1String("--rate"))
        return assign(options.requestsPerSecond, number(value, 1, 100000));
    if (option == QLatin1String("--timeout"))
        return assign(options.replyTimeoutMs, number(value, 1, 600000));
    if (option == QLatin1String("--master-timeout"))
        return assign(options.masterTimeoutMs, number(value, 1, 600000));
    if (option == QLatin1String("--local-port"))
        return assign(options.localPort, number(value, 0, 65535));
    if (option == QLatin1String("--type"))
        return assign(options.filter.gameType, gameTypeFilterNamed(value, Qt::CaseSensitive));
    if (option == QLatin1String("--game-version"))
        return assign(options.filter.version, versionFilterNamed(value, Qt::CaseSensitive));
    if (option == QLatin1String("--watch")) {
        // Seconds, fractions too (a benchmark asks every few milliseconds).
        bool ok = false;
        const double seconds = value.toDouble(&ok);
        if (!ok || seconds < 0.001 || seconds > 86400)
            return false;
        options.watchIntervalMs = qRound(seconds * 1000);
        return true;
    }
    if (option == QLatin1String("--format"))
        return assign(options.format,
                      choice<QueryOptions::Format>(value, {{"table", QueryOptions::Format::Table},
                                                           {"json", QueryOptions::Format::Json},
                                                           {"csv", QueryOptions::Format::Csv}}));
    *known = false;
    return false;
}

} // namespace

std::optional<QueryOptions> QueryOptions::parse(const QStringList& arguments, QString* error)
{
    QueryOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString option = arguments[i];
        std::optional<QString> attached; // --option=value
        if (const qsizetype equals = option.indexOf(u'='); option.startsWith(u"--") && equals > 2) {
            attached = option.mid(equals + 1);
            option.truncate(equals);
        }
        if (bool* target = flag(options, option)) {
            if (attached) {
                *error = QStringLiteral("%1 takes no value").arg(option);
                return std::nullopt;
            }
            *target = true;
            continue;
        }
        if (!option.startsWith(u"--")) {
            *error = QStringLiteral("unexpected argument: %1").arg(option);
            return std::nullopt;
        }
        if (!attached && i + 1 >= arguments.size()) {
            *error = QStringLiteral("unknown option or missing value: %1").arg(option);
            return std::nullopt;
        }
        const QString value = attached ? *attached : arguments[++i];
        bool known = false;
        if (!setValue(options, option, value, &known)) {
            *error = known ? QStringLiteral("bad value for %1: %2").arg(option, value)
                           : QStringLiteral("unknown option: %1").arg(option);
            return std::nullopt;
        }
    }
    if (options.master && options.skipsMaster()) {
        *error = QStringLiteral("--master cannot be combined with --server or --servers-from");
        return std::nullopt;
    }
    if (options.watchIntervalMs && options.format && *options.format != Format::Json) {
        *error = QStringLiteral("--watch writes JSON lines only");
        return std::nullopt;
    }
    if (options.friends && !options.watchIntervalMs) {
        *error = QStringLiteral("--friends goes with --watch");
        return std::nullopt;
    }
    // Friends are found in the player lists.
    options.players = options.players || options.friends;
    return options;
}

QString QueryOptions::usage()
{
    return QStringLiteral(
               "usage: varnholt-query [options]\n"
               "Lists the running Red Faction game servers: asks the master server for them (or\n"
               "takes the servers given), asks every server for its state, and prints the\n"
               "servers that answered on stdout.\n"
               "\n"
               "Where the servers come from:\n"
               "  --master HOST[:PORT]   master server to ask (default: the one in the\n"
               "                         player's vnhsettings.txt, else\n"
               "                         %1:%2; PORT defaults to %2)\n"
               "  --server HOST:PORT     ask this server instead of the master (repeatable)\n"
               "  --servers-from FILE    ask the servers FILE lists instead of the master: one\n"
               "                         address:port a line (\"#\" starts a comment), or the\n"
               "                         address cache's two lines per server (repeatable)\n"
               "  --favourites           ask the player's favourites.txt servers too\n"
               "\n"
               "How they are asked:\n"
               "  --rate N               requests a second, all servers at once (default 250)\n"
               "  --timeout MS           wait for each server's reply (default 4000); a\n"
               "                         silent server is asked once more after 1 s, or after\n"
               "                         half the wait when that is shorter\n"
               "  --one-at-a-time        ask each server only when the one before it is done\n"
               "  --players              also ask each server that answered who is on it\n"
               "  --local-port N         local UDP port of the queries (default 0: any free)\n"
               "  --master-timeout MS    how long the master may stay silent (default 10000)\n"
               "\n"
               "Which servers are printed:\n"
               "  --type dm|ctf|tdm|all  game type (default all)\n"
               "  --game-version 1.0|1.1|1.2|1.3|all\n"
               "                         game version (default all; a server whose version\n"
               "                         byte is not one of the four passes only all)\n"
               "  --not-empty            leave out servers without players\n"
               "  --not-full             leave out full servers\n"
               "  --no-password          leave out servers that need a password\n"
               "  --include-silent       print the servers that did not answer too\n"
               "\n"
               "Watching:\n"
               "  --watch SECONDS        ask again every SECONDS (fractions too) until\n"
               "                         SIGINT or SIGTERM; print one JSON object a line: a\n"
               "                         snapshot first, then each change (see below)\n"
               "  --friends              with --watch: player_joined and player_left only\n"
               "                         for names in friends.txt (implies --players)\n"
               "\n"
               "Output:\n"
               "  --format table|json|csv\n"
               "                         table (the default on a terminal): the browser's\n"
               "                         columns, most players first; json (the default\n"
               "                         otherwise): one object, fields below; csv: a header\n"
               "                         row (the fields below), then one row per server\n"
               "  --help                 print this help\n"
               "  --version              print the version\n"
               "Options that take a value also take it as --option=value.\n"
               "\n"
               "JSON: {\"master\": {\"host\", \"port\", \"servers\"} or null, \"queried\",\n"
               "\"answered\", \"elapsed_ms\", \"servers\": [...]}; each server has address, port,\n"
               "name, map, mod, version (null when unknown), version_byte, game_type,\n"
               "game_type_name (DM, CTF, TDM or null), players, max_players, ping_ms,\n"
               "password, dedicated, not_lan, patch (e.g. \"Dash Faction 1.8\", or null),\n"
               "responded (false: every other field null), and with --players player_list\n"
               "(each player's name, and team, score, kills, deaths, caps, bot where the\n"
               "server sends them; null when it lists none). Texts from the servers are read\n"
               "as Latin-1.\n"
               "\n"
               "--watch: the first line is {\"event\": \"snapshot\", \"time\", and the JSON\n"
               "output's fields}; each later line is one change: \"event\" (server_up,\n"
               "server_down after two silent rounds, players_changed with players_before,\n"
               "player_joined and player_left with player (with --players), map_changed with\n"
               "map_before), \"time\" (ISO 8601, UTC) and the server's fields as above\n"
               "(server_down: as last seen, responded false). Filters apply to the server as\n"
               "it is after the change.\n"
               "\n"
               "While it runs and stderr is a terminal, stderr shows how many servers were\n"
               "asked and answered; otherwise stderr carries errors only, one line each.\n"
               "\n"
               "Exit status: 0 when the servers were asked (even if none answered), 1 when the\n"
               "master server failed or the local port could not be used, 2 for bad\n"
               "arguments.\n")
        .arg(QString::fromLatin1(Settings::defaultMasterServer),
             Settings::initialText(Settings::MasterPort));
}
