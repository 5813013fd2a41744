#include "core/settings/settings.h"
#include "core/wire/addresscache.h"
#include "freeport.h"
#include "testnetprocess.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

namespace {

// Bytes above 127, a quote, a comma and control characters in the names.
constexpr char scenario[] =
    "Caf\xe9 \"Zero\" | dm01 | instagib | 0 | 0/8 | 133 | 2 | no | c7fa58da0105\n"
    "+ flags | 3\n"
    "+ players | Ann | B\xf6"
    "b\n"
    "Full CTF | ctf01 | | 1 | 8/8 | 135 | 2\n"
    "+ flags | 1\n"
    "+ scores | 3 | 2 | - | Red1, red, 5, 4, 3, 2 | Blue2, blue, -1, 0, 1, 0, bot\n"
    "Locked, TDM | dm02 | | 2 | 3/12 | 137 | 2\n"
    "+ flags | 5\n"
    "New Build | dm05 | | 0 | 2/16 | 150 | 2\n"
    "Open\x01\x1b\x1f 13 | dm10 | | 0 | 4/16 | 145 | 2 | no | deadbeef0301\n"
    "Nobody Home | dm01 | | 0 | 0/8 | 145 | 2 | yes\n";
const QStringList names{
    QStringLiteral("Café \"Zero\""),       "Full CTF", "Locked, TDM", "New Build",
    QStringLiteral("Open\x01\x1b\x1f 13"), QString()};

struct Result
{
    int status = -1;
    QByteArray out;
    QByteArray err;
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

// RFC 4180 rows.
QList<QStringList> parseCsv(const QString& text)
{
    QList<QStringList> rows{{}};
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        if (quoted && c == u'"' && next == u'"')
            field += text[++i];
        else if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u',')
            rows.last() << std::exchange(field, {});
        else if (!quoted && c == u'\r' && next == u'\n') {
            rows.last() << std::exchange(field, {});
            rows.append(QStringList());
            ++i;
        } else
            field += c;
    }
    rows.removeLast();
    return rows;
}

QString csvText(const QJsonValue& value)
{
    if (value.isBool())
        return value.toBool() ? "true" : "false";
    if (value.isDouble())
        return QString::number(value.toInteger());
    return value.toString();
}

} // namespace

class TestQueryProgram : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_home;
    std::unique_ptr<TestNetProcess> m_net;
    QStringList m_ports;

    Result run(QStringList arguments, bool fast = true)
    {
        if (fast)
            arguments << "--timeout"
                      << "300";
        QProcess process;
        // No display at all: the program must not need one.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        environment.insert("XDG_CONFIG_HOME", m_home.path());
        environment.insert("APPDATA", m_home.path()); // on Windows
        process.setProcessEnvironment(environment);
        process.start(VARNHOLT_BIN_DIR "/varnholt-query", arguments);
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
            return {};
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }
    QString master() const { return QStringLiteral("127.0.0.1:%1").arg(m_net->masterPort()); }
    QString configFile(const char* name) const
    {
        return m_home.filePath(QString("varnholt/") + name);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QDir(m_home.path()).mkpath("varnholt"));
        const QString file = m_home.filePath("scenario.txt");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(scenario);
        out.close();
        m_net = std::make_unique<TestNetProcess>(QStringList{"--scenario", file});
        QVERIFY2(m_net->waitForReady(), qPrintable(m_net->failure()));
        for (quint16 port : m_net->serverPorts())
            m_ports << QString::number(port);
    }

    void jsonFieldByField()
    {
        const Result result = run({"--master", master(), "--players", "--include-silent"});
        QCOMPARE(result.status, 0);
        QCOMPARE(result.err, QByteArray());
        const QJsonObject root = result.json();
        QCOMPARE(
            root["master"].toObject(),
            QJsonObject({{"host", "127.0.0.1"}, {"port", m_net->masterPort()}, {"servers", 6}}));
        QCOMPARE(root["queried"].toInt(), 6);
        QCOMPARE(root["answered"].toInt(), 5);
        const QJsonArray servers = root["servers"].toArray();
        QCOMPARE(servers.size(), 6);
        QJsonObject cafe = servers[0].toObject();
        QVERIFY(cafe.take("ping_ms").toInt() < 150);
        const QJsonArray named{QJsonObject{{"name", "Ann"}}, QJsonObject{{"name", "Böb"}}};
        QCOMPARE(cafe, QJsonObject({{"address", "127.0.0.1"},
                                    {"port", m_ports[0].toInt()},
                                    {"name", names[0]},
                                    {"map", "dm01"},
                                    {"mod", "instagib"},
                                    {"version", "1.0"},
                                    {"version_byte", 133},
                                    {"game_type", 0},
                                    {"game_type_name", "DM"},
                                    {"players", 0},
                                    {"max_players", 8},
                                    {"password", false},
                                    {"dedicated", true},
                                    {"not_lan", true},
                                    {"patch", "Dash Faction 1.5"},
                                    {"responded", true},
                                    {"player_list", named}}));
        const QJsonArray scored{QJsonObject{{"name", "Red1"},
                                            {"team", "red"},
                                            {"score", 5},
                                            {"kills", 4},
                                            {"deaths", 3},
                                            {"caps", 2},
                                            {"bot", false}},
                                QJsonObject{{"name", "Blue2"},
                                            {"team", "blue"},
                                            {"score", -1},
                                            {"kills", 0},
                                            {"deaths", 1},
                                            {"caps", 0},
                                            {"bot", true}}};
        QCOMPARE(servers[1]["player_list"].toArray(), scored);
        QCOMPARE(servers[2]["game_type_name"].toString(), "TDM");
        QVERIFY(servers[2]["password"].toBool());
        QVERIFY(servers[3]["version"].isNull());
        QCOMPARE(servers[4]["name"].toString(), names[4]);
        QCOMPARE(servers[4]["patch"].toString(), "Pure Faction");
        QVERIFY(servers[4]["player_list"].isNull());
        QJsonObject silent = servers[5].toObject();
        QCOMPARE(silent.take("responded"), QJsonValue(false));
        QCOMPARE(silent.take("port").toInt(), m_ports[5].toInt());
        QCOMPARE(silent.take("address").toString(), "127.0.0.1");
        for (const QJsonValue& value : silent)
            QVERIFY(value.isNull());
        // Valid UTF-8 throughout, control characters escaped.
        QVERIFY(QString::fromUtf8(result.out).toUtf8() == result.out);
        QVERIFY(std::none_of(result.out.cbegin(), result.out.cend(),
                             [](char c) { return quint8(c) < 0x20 && c != '\n'; }));
    }

    void csvReadsBackAsJson()
    {
        const Result json = run({"--master", master(), "--include-silent", "--one-at-a-time"});
        const Result csv = run({"--master", master(), "--include-silent", "--format", "csv"});
        QCOMPARE(csv.status, 0);
        const QList<QStringList> rows = parseCsv(QString::fromUtf8(csv.out));
        const QJsonArray servers = json.json()["servers"].toArray();
        QCOMPARE(rows.size(), servers.size() + 1);
        for (qsizetype row = 1; row < rows.size(); ++row) {
            QCOMPARE(rows[row].size(), rows[0].size());
            for (qsizetype column = 0; column < rows[0].size(); ++column) {
                if (rows[0][column] != "ping_ms")
                    QCOMPARE(rows[row][column], csvText(servers[row - 1][rows[0][column]]));
            }
        }
    }

    void filters_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QList<int>>("shown");
        QTest::newRow("none") << QStringList() << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("dm") << QStringList{"--type", "dm"} << QList<int>{0, 3, 4};
        QTest::newRow("ctf") << QStringList{"--type", "ctf"} << QList<int>{1};
        QTest::newRow("tdm") << QStringList{"--type=tdm"} << QList<int>{2};
        QTest::newRow("1.0") << QStringList{"--game-version", "1.0"} << QList<int>{0};
        QTest::newRow("1.1") << QStringList{"--game-version", "1.1"} << QList<int>{1};
        QTest::newRow("1.2") << QStringList{"--game-version", "1.2"} << QList<int>{2};
        QTest::newRow("1.3") << QStringList{"--game-version", "1.3"} << QList<int>{4};
        QTest::newRow("all") << QStringList{"--game-version", "all"} << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("not empty") << QStringList{"--not-empty"} << QList<int>{1, 2, 3, 4};
        QTest::newRow("not full") << QStringList{"--not-full"} << QList<int>{0, 2, 3, 4};
        QTest::newRow("no password") << QStringList{"--no-password"} << QList<int>{0, 1, 3, 4};
        QTest::newRow("silent") << QStringList{"--include-silent"} << QList<int>{0, 1, 2, 3, 4, 5};
        QTest::newRow("combined") << QStringList{"--type", "dm", "--not-empty", "--game-version",
                                                 "1.3"}
                                  << QList<int>{4};
    }
    void filters()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QList<int>, shown);
        const Result result = run(arguments << "--master" << master());
        QCOMPARE(result.status, 0);
        QList<int> ports;
        for (const QJsonValue& server : result.json()["servers"].toArray())
            ports << m_ports.indexOf(QString::number(server["port"].toInt()));
        QCOMPARE(ports, shown);
    }

    void tableMostPlayersFirst()
    {
        const Result result = run({"--master", master(), "--format", "table", "--include-silent"});
        QList<QByteArray> lines = result.out.split('\n');
        QVERIFY(lines.size() > 8);
        QVERIFY(lines[0].startsWith("Server "));
        for (const char* name : {"Full CTF", "Open??? 13", "Locked, TDM", "New Build", "Café"})
            QVERIFY2(lines.takeAt(1).startsWith(name), name);
        QVERIFY(lines[1].startsWith("(no answer)  127.0.0.1:" + m_ports[5].toLatin1()));
        QVERIFY(result.out.contains("\n6 servers asked, 5 answered, 6 shown, in "));
    }

    void tableOfOneServer()
    {
        const Result result = run({"--format", "table", "--server", "127.0.0.1:" + m_ports[0]});
        QVERIFY2(result.out.contains("\n1 server asked, 1 answered, 1 shown, in "), result.out);
    }

    void serverSources_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<int>>("asked");
        QTest::newRow("address:port lines")
            << QByteArray("# mine\n127.0.0.1:PORT1  # the CTF one\n\n127.0.0.1:PORT3\n")
            << QList<int>{1, 3};
        QTest::newRow("address cache")
            << QByteArray("127.0.0.1\r\n PORT2 \r\n127.0.0.1\r\n PORT5 \r\n") << QList<int>{2, 5};
    }
    void serverSources()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<int>, asked);
        for (int i = 0; i < m_ports.size(); ++i)
            file.replace("PORT" + QByteArray::number(i), m_ports[i].toLatin1());
        QFile list(m_home.filePath("servers.txt"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(file);
        list.close();
        // The favourite is asked too; a server named twice is asked once.
        QFile favourites(configFile("favourites.txt"));
        QVERIFY(favourites.open(QIODevice::WriteOnly));
        favourites.write("127.0.0.1:" + m_ports[4].toLatin1() + "\n");
        favourites.close();
        const Result result =
            run({"--servers-from", list.fileName(), "--server", "127.0.0.1:" + m_ports[asked[0]],
                 "--favourites", "--include-silent"});
        favourites.remove();
        QCOMPARE(result.status, 0);
        QVERIFY(result.json()["master"].isNull());
        QList<int> ports;
        for (const QJsonValue& server : result.json()["servers"].toArray())
            ports << m_ports.indexOf(QString::number(server["port"].toInt()));
        QCOMPARE(ports, asked << 4);
        QCOMPARE(result.json()["queried"].toInt(), 3);
    }

    void masterFromSettings()
    {
        Settings settings;
        settings.setValue(Settings::MasterHost, "127.0.0.1");
        settings.setValue(Settings::MasterPort, QString::number(m_net->masterPort()));
        QCOMPARE(settings.save(configFile("vnhsettings.txt")), QString());
        const Result result = run({});
        QFile::remove(configFile("vnhsettings.txt"));
        QCOMPARE(result.status, 0);
        QCOMPARE(result.json()["master"].toObject()["port"].toInt(), m_net->masterPort());
        QCOMPARE(result.json()["answered"].toInt(), 5);
    }

    void exitStatus_data()
    {
        const QString quiet = QStringLiteral("127.0.0.1:%1").arg(freeUdpPort());
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        QTest::newRow("no answer") << QStringList{"--server", "127.0.0.1:PORT5"} << 0 << "";
        QTest::newRow("master silent")
            << QStringList{"--master", quiet, "--master-timeout", "200"} << 1
            << "Error: The master server did not answer. Check Master Server IP";
        QTest::newRow("port taken")
            << QStringList{"--server", "127.0.0.1:PORT0", "--local-port", "TAKEN"} << 1
            << "WSRF2 Error : ";
        QTest::newRow("bad type") << QStringList{"--type", "race"} << 2
                                  << "bad value for --type: race";
        QTest::newRow("bad rate") << QStringList{"--rate", "0"} << 2 << "bad value for --rate: 0";
        QTest::newRow("unknown") << QStringList{"--colour"} << 2 << "unknown option: --colour";
        QTest::newRow("master and servers") << QStringList{"--master", quiet, "--server", quiet}
                                            << 2 << "--master cannot be combined";
        QTest::newRow("no file") << QStringList{"--servers-from", "/nonexistent/list"} << 2
                                 << "/nonexistent/list";
        QTest::newRow("watch 0") << QStringList{"--watch", "0"} << 2 << "bad value for --watch";
        QTest::newRow("watch as a table") << QStringList{"--watch", "1", "--format", "table"} << 2
                                          << "--watch writes JSON lines only";
        QTest::newRow("friends alone")
            << QStringList{"--friends"} << 2 << "--friends goes with --watch";
    }
    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, error);
        QUdpSocket taken;
        QVERIFY(taken.bind(QHostAddress::AnyIPv4, 0));
        arguments.replaceInStrings("PORT5", m_ports[5]).replaceInStrings("PORT0", m_ports[0]);
        arguments.replaceInStrings("TAKEN", QString::number(taken.localPort()));
        const Result result = run(arguments);
        QCOMPARE(result.status, status);
        const QString err = QString::fromUtf8(result.err);
        QCOMPARE(err.count(u'\n'), error.isEmpty() ? 0 : 1);
        QVERIFY2(error.isEmpty() || err.startsWith("varnholt-query: " + error), qPrintable(err));
        if (status == 2)
            QVERIFY(err.contains("--help"));
        if (status == 0)
            QCOMPARE(result.json()["answered"].toInt(), 0);
    }

    // Against a scripted network: at 1 s kasia and Bob join one server and
    // the other goes silent.
    void watchReportsChanges_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("joined");
        // Quiet is the favourite; a server given keeps the master out.
        QTest::newRow("a favourite, friends only")
            << QStringList{"--favourites", "--server", "127.0.0.1:WATCHED", "--friends"}
            << QStringList{"kasia"};
        QTest::newRow("the master, every player")
            << QStringList{"--master", "MASTER", "--players"} << QStringList{"Bob", "kasia"};
    }
    void watchReportsChanges()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, joined);
        QFile script(m_home.filePath("watched.txt"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("Watched | dm02 | | 0 | 1/16 | 145\n+ players | Zed\n"
                     "Quiet | ctf01 | | 1 | 0/8 | 145\n@ 1s join \"Watched\" Bob\n"
                     "@ 1s join \"Watched\" kasia\n@ 1s silent \"Quiet\"\n");
        script.close();
        TestNetProcess net({"--scenario", script.fileName()});
        QVERIFY2(net.waitForReady(), qPrintable(net.failure()));
        QFile favourites(configFile("favourites.txt")), friends(configFile("friends.txt"));
        QVERIFY(favourites.open(QIODevice::WriteOnly) && friends.open(QIODevice::WriteOnly));
        favourites.write("127.0.0.1:" + QByteArray::number(net.serverPorts()[1]) + "\n");
        friends.write("# the clan\nKAS*\n");
        favourites.close();
        friends.close();

        QProcess watch;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", m_home.path());
        watch.setProcessEnvironment(environment);
        arguments.replaceInStrings("MASTER", QString("127.0.0.1:%1").arg(net.masterPort()))
            .replaceInStrings("WATCHED", QString::number(net.serverPorts()[0]));
        watch.start(VARNHOLT_BIN_DIR "/varnholt-query", arguments << "--watch"
                                                                  << "0.2"
                                                                  << "--timeout"
                                                                  << "150");
        QList<QJsonObject> lines;
        QStringList seenJoined;
        const auto seen = [&](const QString& event) {
            return std::any_of(lines.cbegin(), lines.cend(),
                               [&](const QJsonObject& line) { return line["event"] == event; });
        };
        QVERIFY(QTest::qWaitFor(
            [&] {
                while (watch.canReadLine())
                    lines << QJsonDocument::fromJson(watch.readLine()).object();
                return seen("server_down") && seen("player_joined") && seen("players_changed");
            },
            15000));
        watch.terminate(); // SIGTERM
        QVERIFY(watch.waitForFinished(5000));
        favourites.remove();
        friends.remove();
        QCOMPARE(watch.exitStatus(), QProcess::NormalExit);
        QCOMPARE(watch.exitCode(), 0);
        while (watch.canReadLine())
            lines << QJsonDocument::fromJson(watch.readLine()).object();

        QCOMPARE(lines.first()["event"], "snapshot");
        QCOMPARE(lines.first()["servers"].toArray().size(), 2);
        const QRegularExpression isoUtc("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$");
        for (const QJsonObject& line : std::as_const(lines).mid(1)) {
            QVERIFY2(isoUtc.match(line["time"].toString()).hasMatch(),
                     qPrintable(line["time"].toString()));
            QCOMPARE(line["address"], "127.0.0.1");
            QVERIFY(net.serverPorts().contains(quint16(line["port"].toInt())));
            const QString event = line["event"].toString();
            if (event == "player_joined") {
                QCOMPARE(line["name"], "Watched");
                seenJoined << line["player"].toString();
            } else if (event == "players_changed") {
                QCOMPARE(line["players_before"].toInt(), 1);
                QCOMPARE(line["players"].toInt(), 3);
            } else {
                // Quiet, once, as last seen.
                QCOMPARE(event, "server_down");
                QCOMPARE(line["name"], "Quiet");
                QCOMPARE(line["map"], "ctf01");
                QCOMPARE(line["responded"], false);
            }
        }
        QCOMPARE(seenJoined, joined);
    }

    void helpAndVersion()
    {
        const Result help = run({"--help"}, false);
        QCOMPARE(help.status, 0);
        for (const char* option :
             {"--master", "--server", "--servers-from", "--favourites", "--rate", "--timeout",
              "--one-at-a-time", "--players", "--local-port", "--type", "--game-version",
              "--not-empty", "--not-full", "--no-password", "--include-silent", "--format",
              "--version", "--watch", "--friends"})
            QVERIFY2(help.out.contains(option), option);
        QCOMPARE(run({"--version"}, false).out, "varnholt-query " VARNHOLT_VERSION "\n");
    }
};

QTEST_GUILESS_MAIN(TestQueryProgram)
#include "tst_queryprogram.moc"
