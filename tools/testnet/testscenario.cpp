#include "testscenario.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <numeric>

namespace {

constexpr std::array names{"Rail Yard",    "Glass House",  "Bunker Rats",  "Ultor Labs",
                           "Mars Outpost", "Red Dawn",     "Miner Revolt", "Deep Core",
                           "Armory",       "Nordic Frags", "Night Shift",  "Geo Zone"};
constexpr std::array tags{"",         " [EU]",      " [US]", " #2",   " 24/7",
                          " Classic", " - Newbies", " Pro",  " [AU]", " Oldschool"};
constexpr std::array dmMaps{"dm01", "dm02", "dm05", "dm10", "dm17", "dm20", "glass_house"};
constexpr std::array ctfMaps{"ctf01", "ctf02", "ctf05", "ctf07", "frosty_ctf"};
constexpr std::array mods{"", "", "", "", "rocketarena", "instagib", "classic"};
// Servers of 1.0 and 1.1 both send 135.
constexpr std::array<quint8, 6> versions{135, 137, 145, 145, 145, 137};
constexpr std::array<quint8, 5> maxPlayers{8, 12, 16, 24, 32};

template <typename Array> auto pick(QRandomGenerator& random, const Array& array)
{
    return array[random.bounded(int(array.size()))];
}

bool parseIntArgument(const QString& text, int low, int high, int* value)
{
    bool ok = false;
    const int parsed = text.toInt(&ok);
    if (!ok || parsed < low || parsed > high)
        return false;
    *value = parsed;
    return true;
}

std::optional<TestServerProfile> parseServerLine(const QByteArray& line, QString* error)
{
    QList<QByteArray> fields = line.split('|');
    for (QByteArray& field : fields)
        field = field.trimmed();
    if (fields.size() < 6 || fields.size() > 9) {
        *error = QStringLiteral("expected 6 to 9 fields separated by |");
        return std::nullopt;
    }
    TestServerProfile profile;
    profile.info.name = fields[0];
    profile.info.map = fields[1];
    profile.info.mod = fields[2];
    int number = 0;
    if (!parseIntArgument(QString::fromLatin1(fields[3]), 0, 255, &number)) {
        *error = QStringLiteral("game type must be 0..255");
        return std::nullopt;
    }
    profile.info.gameType = quint8(number);
    const QList<QByteArray> players = fields[4].split('/');
    int current = 0;
    int maximum = 0;
    if (players.size() != 2 ||
        !parseIntArgument(QString::fromLatin1(players[0]), 0, 255, &current) ||
        !parseIntArgument(QString::fromLatin1(players[1]), 0, 255, &maximum)) {
        *error = QStringLiteral("players must be like 5/16");
        return std::nullopt;
    }
    profile.info.players = quint8(current);
    profile.info.maxPlayers = quint8(maximum);
    if (!parseIntArgument(QString::fromLatin1(fields[5]), 0, 255, &number)) {
        *error = QStringLiteral("version byte must be 0..255");
        return std::nullopt;
    }
    profile.info.version = quint8(number);
    if (fields.size() > 6 && !fields[6].isEmpty() &&
        !parseIntArgument(QString::fromLatin1(fields[6]), 0, 600000, &profile.delayMs)) {
        *error = QStringLiteral("delay must be 0..600000 ms");
        return std::nullopt;
    }
    if (fields.size() > 7) {
        const QByteArray silent = fields[7].toLower();
        if (silent == "silent" || silent == "yes" || silent == "1")
            profile.silent = true;
        else if (!silent.isEmpty() && silent != "no" && silent != "0") {
            *error = QStringLiteral("silent must be yes/silent/1 or no/0");
            return std::nullopt;
        }
    }
    if (fields.size() > 8) {
        profile.trailing = QByteArray::fromHex(fields[8]);
        if (profile.trailing.toHex() != fields[8].toLower().replace(' ', "")) {
            *error = QStringLiteral("trailing bytes must be hexadecimal");
            return std::nullopt;
        }
    }
    return profile;
}

// "name, red|blue|spectator, score, kills, deaths, captures[, bot]".
bool parseScoredPlayer(const QByteArray& field, PlayerList::Player* player)
{
    QList<QByteArray> parts = field.split(',');
    for (QByteArray& part : parts)
        part = part.trimmed();
    if (parts.size() < 6 || parts.size() > 7 || parts[0].isEmpty() ||
        (parts.size() == 7 && parts[6] != "bot"))
        return false;
    player->name = parts[0];
    if (parts[1] == "blue")
        player->flags |= PlayerList::Player::blueTeamFlag;
    else if (parts[1] == "spectator")
        player->flags |= PlayerList::Player::spectatorFlag;
    else if (parts[1] != "red")
        return false;
    if (parts.size() == 7)
        player->flags |= PlayerList::Player::botFlag;
    int numbers[4] = {};
    if (!parseIntArgument(QString::fromLatin1(parts[2]), -32768, 32767, &numbers[0]))
        return false;
    for (int i = 1; i < 4; ++i) {
        if (!parseIntArgument(QString::fromLatin1(parts[2 + i]), 0, 65535, &numbers[i]))
            return false;
    }
    player->score = qint16(numbers[0]);
    player->kills = quint16(numbers[1]);
    player->deaths = quint16(numbers[2]);
    player->captures = quint16(numbers[3]);
    return true;
}

// A line starting with "+" adds to the server above it (see usage()).
bool applyExtraLine(const QByteArray& line, TestServerProfile* profile, QString* error)
{
    QList<QByteArray> fields = line.split('|');
    for (QByteArray& field : fields)
        field = field.trimmed();
    const QByteArray what = fields.takeFirst();
    int number = 0;
    if (what == "flags") {
        if (fields.size() != 1 ||
            !parseIntArgument(QString::fromLatin1(fields[0]), 0, 255, &number)) {
            *error = QStringLiteral("flags must be one number 0..255");
            return false;
        }
        profile->info.flags = quint8(number);
        return true;
    }
    PlayerList list;
    if (what == "players") {
        for (const QByteArray& name : std::as_const(fields)) {
            PlayerList::Player player;
            player.name = name;
            list.players.append(player);
        }
        profile->players = list;
        return true;
    }
    if (what != "scores") {
        *error = QStringLiteral("a + line is flags, players or scores");
        return false;
    }
    list.form = PlayerList::Form::Scores;
    int red = 0;
    int blue = 0;
    if (fields.size() < 3 || !parseIntArgument(QString::fromLatin1(fields[0]), 0, 65535, &red) ||
        !parseIntArgument(QString::fromLatin1(fields[1]), 0, 65535, &blue)) {
        *error = QStringLiteral("scores need the red and blue scores and the time left");
        return false;
    }
    list.redScore = quint16(red);
    list.blueScore = quint16(blue);
    if (fields[2] == "-")
        list.timeLeftSeconds = PlayerList::noTimeLimit;
    else if (parseIntArgument(QString::fromLatin1(fields[2]), 0, 86400, &number))
        list.timeLeftSeconds = quint32(number);
    else {
        *error = QStringLiteral("time left must be 0..86400 s or -");
        return false;
    }
    for (qsizetype i = 3; i < fields.size(); ++i) {
        PlayerList::Player player;
        if (!parseScoredPlayer(fields[i], &player)) {
            *error = QStringLiteral("a player must be like \"name, red, score, kills, deaths, "
                                    "captures[, bot]\"");
            return false;
        }
        list.players.append(player);
    }
    profile->players = list;
    return true;
}

} // namespace

std::optional<QList<TestServerProfile>>
TestScenario::parseServers(const QByteArray& text, QList<TestScriptStep>* script, QString* error)
{
    QList<TestServerProfile> servers;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QString why;
        if (line.startsWith('@')) {
            const std::optional<TestScriptStep> step =
                TestScriptStep::parse(line.mid(1), servers, &why);
            if (!step) {
                *error = QStringLiteral("line %1: %2").arg(i + 1).arg(why);
                return std::nullopt;
            }
            script->append(*step);
            continue;
        }
        if (line.startsWith('+')) {
            if (servers.isEmpty() || !applyExtraLine(line.mid(1), &servers.last(), &why)) {
                *error =
                    QStringLiteral("line %1: %2")
                        .arg(i + 1)
                        .arg(servers.isEmpty() ? QStringLiteral("a + line follows a server") : why);
                return std::nullopt;
            }
            continue;
        }
        const std::optional<TestServerProfile> profile = parseServerLine(line, &why);
        if (!profile) {
            *error = QStringLiteral("line %1: %2").arg(i + 1).arg(why);
            return std::nullopt;
        }
        servers.append(*profile);
    }
    return servers;
}

QList<TestServerProfile> TestScenario::generate(int count, quint32 seed, int minDelayMs,
                                                int maxDelayMs, int silent)
{
    QRandomGenerator random(seed);
    QList<TestServerProfile> servers;
    for (int i = 0; i < count; ++i) {
        TestServerProfile profile;
        profile.info.gameType = quint8(random.bounded(3));
        profile.info.name = QByteArray(pick(random, names)) + pick(random, tags);
        profile.info.map =
            profile.info.gameType == 1 ? pick(random, ctfMaps) : pick(random, dmMaps);
        profile.info.mod = pick(random, mods);
        profile.info.version = pick(random, versions);
        profile.info.maxPlayers = pick(random, maxPlayers);
        profile.info.players = quint8(random.bounded(profile.info.maxPlayers + 1));
        profile.info.flags = quint8(random.bounded(2));
        profile.delayMs = minDelayMs + random.bounded(maxDelayMs - minDelayMs + 1);
        // About one in five runs a patched build that appends its own bytes.
        if (random.bounded(5) == 0) {
            profile.trailing.resize(1 + random.bounded(8));
            for (char& byte : profile.trailing)
                byte = char(random.bounded(256));
        }
        servers.append(profile);
    }
    QList<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), random);
    for (int i = 0; i < std::min(silent, count); ++i)
        servers[order[i]].silent = true;
    return servers;
}

std::optional<TestScenario> TestScenario::fromArguments(const QStringList& arguments,
                                                        QString* error)
{
    TestScenario scenario;
    int generated = 0;
    int seed = 1;
    int minDelay = 0;
    int maxDelay = 0;
    int silent = 0;
    QList<TestServerProfile> fromFile;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        if (option == QLatin1String("--log")) {
            scenario.log = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            *error = QStringLiteral("unknown option or missing value: %1").arg(option);
            return std::nullopt;
        }
        const QString value = arguments[++i];
        int number = 0;
        bool ok = true;
        if (option == QLatin1String("--master-port")) {
            ok = parseIntArgument(value, 0, 65535, &number);
            scenario.masterPort = quint16(number);
        } else if (option == QLatin1String("--servers")) {
            ok = parseIntArgument(value, 0, 65535, &generated);
        } else if (option == QLatin1String("--seed")) {
            ok = parseIntArgument(value, 0, std::numeric_limits<int>::max(), &seed);
        } else if (option == QLatin1String("--silent")) {
            ok = parseIntArgument(value, 0, 65535, &silent);
        } else if (option == QLatin1String("--drop")) {
            ok = parseIntArgument(value, 0, 100, &scenario.dropPercent);
        } else if (option == QLatin1String("--per-part")) {
            ok = parseIntArgument(value, 1, 255, &scenario.recordsPerPart);
        } else if (option == QLatin1String("--ack-timeout")) {
            ok = parseIntArgument(value, 1, 600000, &scenario.ackTimeoutMs);
        } else if (option == QLatin1String("--delay")) {
            const QStringList range = value.split(u'-');
            ok = range.size() <= 2 && parseIntArgument(range.first(), 0, 600000, &minDelay) &&
                 parseIntArgument(range.last(), minDelay, 600000, &maxDelay);
        } else if (option == QLatin1String("--scenario")) {
            QFile file(value);
            if (!file.open(QIODevice::ReadOnly)) {
                *error = QStringLiteral("%1: %2").arg(value, file.errorString());
                return std::nullopt;
            }
            QString why;
            QList<TestScriptStep> script;
            const auto servers = parseServers(file.readAll(), &script, &why);
            if (!servers) {
                *error = QStringLiteral("%1: %2").arg(value, why);
                return std::nullopt;
            }
            for (TestScriptStep& step : script) {
                if (step.server >= 0)
                    step.server += int(fromFile.size());
            }
            scenario.script += script;
            fromFile += *servers;
        } else {
            *error = QStringLiteral("unknown option: %1").arg(option);
            return std::nullopt;
        }
        if (!ok) {
            *error = QStringLiteral("bad value for %1: %2").arg(option, value);
            return std::nullopt;
        }
    }
    std::stable_sort(
        scenario.script.begin(), scenario.script.end(),
        [](const TestScriptStep& a, const TestScriptStep& b) { return a.atMs < b.atMs; });
    scenario.seed = quint32(seed);
    scenario.servers = fromFile + generate(generated, quint32(seed), minDelay, maxDelay, silent);
    return scenario;
}

QString TestScenario::usage()
{
    return QStringLiteral(
        "usage: varnholt-testnet [options]\n"
        "Runs a master server and game servers on 127.0.0.1 until SIGINT or SIGTERM.\n"
        "Prints \"READY master=<port> servers=<port>,...\" once every socket is bound.\n"
        "\n"
        "  --master-port N   master server port on 127.0.0.1 (default 0: any free port)\n"
        "  --servers N       generate N game servers with varied names, maps, mods\n"
        "  --seed N          seed for generating and dropping (default 1)\n"
        "  --delay MS|A-B    reply delay of generated servers in ms (default 0)\n"
        "  --silent N        how many generated servers never reply (default 0)\n"
        "  --drop PERCENT    leave that share of info requests unanswered, at random\n"
        "                    (seeded by --seed; default 0)\n"
        "  --scenario FILE   game servers from FILE, listed before generated ones\n"
        "  --per-part N      records per list part, 1..255 (default 60)\n"
        "  --ack-timeout MS  resend a list datagram after MS without its ack (500)\n"
        "  --log             print every datagram received\n"
        "\n"
        "A scenario file has one game server per line, fields separated by \"|\":\n"
        "  name | map | mod | game type | players/max | version byte\n"
        "       [| delay ms [| silent [| trailing bytes in hex]]]\n"
        "e.g. \"Rail Yard | dm02 | | 0 | 5/16 | 145 | 40 | no | 0a0b\". Blank lines and\n"
        "lines starting with \"#\" are skipped. Game type: 0 DM, 1 CTF, 2 TDM.\n"
        "Lines starting with \"+\" add to the server line above them:\n"
        "  + flags | N        the flags byte: 1 dedicated, 2 not LAN only, 4 password\n"
        "  + players | name | name ...\n"
        "                     answers the player-list request with names only\n"
        "  + scores | red score | blue score | time left s or - | player | ...\n"
        "                     answers it with scores, in segments of 200 bytes, at\n"
        "                     most once a second to each address; a player is\n"
        "                     \"name, red|blue|spectator, score, kills, deaths,\n"
        "                     captures[, bot]\"\n"
        "A server without such a line does not answer the player-list request.\n"
        "\n"
        "Lines starting with \"@\" script changes, timed from the READY line:\n"
        "  @ TIME join \"SERVER\" NAME    NAME joins: in the player list and the count\n"
        "  @ TIME leave \"SERVER\" NAME   NAME leaves\n"
        "  @ TIME silent \"SERVER\"       the server stops answering\n"
        "  @ TIME back \"SERVER\"         it answers again\n"
        "  @ TIME map \"SERVER\" MAP      it runs MAP\n"
        "  @ TIME repeat                  the script starts over (TIME above 0)\n"
        "TIME is like 500ms or 1.5s; SERVER is the name of a server above the line.\n"
        "With --log each step prints \"STEP <ms> <action> server:<port> [value]\".\n");
}
