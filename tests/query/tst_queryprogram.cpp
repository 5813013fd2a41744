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
const QStringList names{QStringLiteral("Café \"Zero\""),       QStringLiteral("Full CTF"),
                        QStringLiteral("Locked, TDM"),         QStringLiteral("New Build"),
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
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
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
            arguments << QStringLiteral("--timeout") << QStringLiteral("300");
        QProcess process;
        process.setProcessEnvironment(programEnvironment());
        process.start(QStringLiteral(VARNHOLT_BIN_DIR "/varnholt-query"), arguments);
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
            return {};
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }
    QString master() const { return QStringLiteral("127.0.0.1:%1").arg(m_net->masterPort()); }
    // No display at all: the program must not need one. Its files are in the
    // test's folder.
    QProcessEnvironment programEnvironment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromUtf8(name));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
        environment.insert(QStringLiteral("APPDATA"), m_home.path()); // on Windows
        return environment;
    }

    QString configFile(const char* name) const
    {
        return m_home.filePath(QStringLiteral("varnholt/") + QString::fromUtf8(name));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QDir(m_home.path()).mkpath(QStringLiteral("varnholt")));
        const QString file = m_home.filePath(QStringLiteral("scenario.txt"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(scenario);
        out.close();
        m_net = std::make_unique<TestNetProcess>(QStringList{QStringLiteral("--scenario"), file});
        QVERIFY2(m_net->waitForReady(), qPrintable(m_net->failure()));
        for (quint16 port : m_net->serverPorts())
            m_ports << QString::number(port);
    }

    void jsonFieldByField()
    {
        const Result result =
            run({QStringLiteral("--master"), master(), QStringLiteral("--players"),
                 QStringLiteral("--include-silent")});
        QCOMPARE(result.status, 0);
        QCOMPARE(result.err, QByteArray());
        const QJsonObject root = result.json();
        QCOMPARE(root[QStringLiteral("master")].toObject(),
                 QJsonObject({{QStringLiteral("host"), QStringLiteral("127.0.0.1")},
                              {QStringLiteral("port"), m_net->masterPort()},
                              {QStringLiteral("servers"), 6}}));
        QCOMPARE(root[QStringLiteral("queried")].toInt(), 6);
        QCOMPARE(root[QStringLiteral("answered")].toInt(), 5);
        const QJsonArray servers = root[QStringLiteral("servers")].toArray();
        QCOMPARE(servers.size(), 6);
        QJsonObject cafe = servers[0].toObject();
        QVERIFY(cafe.take(QStringLiteral("ping_ms")).toInt() < 150);
        const QJsonArray named{QJsonObject{{QStringLiteral("name"), QStringLiteral("Ann")}},
                               QJsonObject{{QStringLiteral("name"), QString::fromUtf8("Böb")}}};
        QCOMPARE(cafe, QJsonObject({{QStringLiteral("address"), QStringLiteral("127.0.0.1")},
                                    {QStringLiteral("port"), m_ports[0].toInt()},
                                    {QStringLiteral("name"), names[0]},
                                    {QStringLiteral("map"), QStringLiteral("dm01")},
                                    {QStringLiteral("mod"), QStringLiteral("instagib")},
                                    {QStringLiteral("version"), QStringLiteral("1.0")},
                                    {QStringLiteral("version_byte"), 133},
                                    {QStringLiteral("game_type"), 0},
                                    {QStringLiteral("game_type_name"), QStringLiteral("DM")},
                                    {QStringLiteral("players"), 0},
                                    {QStringLiteral("max_players"), 8},
                                    {QStringLiteral("password"), false},
                                    {QStringLiteral("dedicated"), true},
                                    {QStringLiteral("not_lan"), true},
                                    {QStringLiteral("patch"), QStringLiteral("Dash Faction 1.5")},
                                    {QStringLiteral("responded"), true},
                                    {QStringLiteral("player_list"), named}}));
        const QJsonArray scored{QJsonObject{{QStringLiteral("name"), QStringLiteral("Red1")},
                                            {QStringLiteral("team"), QStringLiteral("red")},
                                            {QStringLiteral("score"), 5},
                                            {QStringLiteral("kills"), 4},
                                            {QStringLiteral("deaths"), 3},
                                            {QStringLiteral("caps"), 2},
                                            {QStringLiteral("bot"), false}},
                                QJsonObject{{QStringLiteral("name"), QStringLiteral("Blue2")},
                                            {QStringLiteral("team"), QStringLiteral("blue")},
                                            {QStringLiteral("score"), -1},
                                            {QStringLiteral("kills"), 0},
                                            {QStringLiteral("deaths"), 1},
                                            {QStringLiteral("caps"), 0},
                                            {QStringLiteral("bot"), true}}};
        QCOMPARE(servers[1][QStringLiteral("player_list")].toArray(), scored);
        QCOMPARE(servers[2][QStringLiteral("game_type_name")].toString(), QStringLiteral("TDM"));
        QVERIFY(servers[2][QStringLiteral("password")].toBool());
        QVERIFY(servers[3][QStringLiteral("version")].isNull());
        QCOMPARE(servers[4][QStringLiteral("name")].toString(), names[4]);
        QCOMPARE(servers[4][QStringLiteral("patch")].toString(), QStringLiteral("Pure Faction"));
        QVERIFY(servers[4][QStringLiteral("player_list")].isNull());
        QJsonObject silent = servers[5].toObject();
        QCOMPARE(silent.take(QStringLiteral("responded")), QJsonValue(false));
        QCOMPARE(silent.take(QStringLiteral("port")).toInt(), m_ports[5].toInt());
        QCOMPARE(silent.take(QStringLiteral("address")).toString(), QStringLiteral("127.0.0.1"));
        for (const QJsonValue& value : silent)
            QVERIFY(value.isNull());
        // Valid UTF-8 throughout, control characters escaped.
        QVERIFY(QString::fromUtf8(result.out).toUtf8() == result.out);
        QVERIFY(std::none_of(result.out.cbegin(), result.out.cend(),
                             [](char c) { return quint8(c) < 0x20 && c != '\n'; }));
    }

    void csvReadsBackAsJson()
    {
        const Result json =
            run({QStringLiteral("--master"), master(), QStringLiteral("--include-silent"),
                 QStringLiteral("--one-at-a-time")});
        const Result csv =
            run({QStringLiteral("--master"), master(), QStringLiteral("--include-silent"),
                 QStringLiteral("--format"), QStringLiteral("csv")});
        QCOMPARE(csv.status, 0);
        const QList<QStringList> rows = parseCsv(QString::fromUtf8(csv.out));
        const QJsonArray servers = json.json()[QStringLiteral("servers")].toArray();
        QCOMPARE(rows.size(), servers.size() + 1);
        for (qsizetype row = 1; row < rows.size(); ++row) {
            QCOMPARE(rows[row].size(), rows[0].size());
            for (qsizetype column = 0; column < rows[0].size(); ++column) {
                if (rows[0][column] != QStringLiteral("ping_ms"))
                    QCOMPARE(rows[row][column], csvText(servers[row - 1][rows[0][column]]));
            }
        }
    }

    void filters_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QList<int>>("shown");
        QTest::newRow("none") << QStringList() << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("dm") << QStringList{QStringLiteral("--type"), QStringLiteral("dm")}
                            << QList<int>{0, 3, 4};
        QTest::newRow("ctf") << QStringList{QStringLiteral("--type"), QStringLiteral("ctf")}
                             << QList<int>{1};
        QTest::newRow("tdm") << QStringList{QStringLiteral("--type=tdm")} << QList<int>{2};
        QTest::newRow("1.0") << QStringList{QStringLiteral("--game-version"), QStringLiteral("1.0")}
                             << QList<int>{0};
        QTest::newRow("1.1") << QStringList{QStringLiteral("--game-version"), QStringLiteral("1.1")}
                             << QList<int>{1};
        QTest::newRow("1.2") << QStringList{QStringLiteral("--game-version"), QStringLiteral("1.2")}
                             << QList<int>{2};
        QTest::newRow("1.3") << QStringList{QStringLiteral("--game-version"), QStringLiteral("1.3")}
                             << QList<int>{4};
        QTest::newRow("all") << QStringList{QStringLiteral("--game-version"), QStringLiteral("all")}
                             << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("not empty")
            << QStringList{QStringLiteral("--not-empty")} << QList<int>{1, 2, 3, 4};
        QTest::newRow("not full") << QStringList{QStringLiteral("--not-full")}
                                  << QList<int>{0, 2, 3, 4};
        QTest::newRow("no password")
            << QStringList{QStringLiteral("--no-password")} << QList<int>{0, 1, 3, 4};
        QTest::newRow("silent") << QStringList{QStringLiteral("--include-silent")}
                                << QList<int>{0, 1, 2, 3, 4, 5};
        QTest::newRow("combined") << QStringList{QStringLiteral("--type"), QStringLiteral("dm"),
                                                 QStringLiteral("--not-empty"),
                                                 QStringLiteral("--game-version"),
                                                 QStringLiteral("1.3")}
                                  << QList<int>{4};
    }
    void filters()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QList<int>, shown);
        const Result result = run(arguments << QStringLiteral("--master") << master());
        QCOMPARE(result.status, 0);
        QList<int> ports;
        for (const QJsonValue& server : result.json()[QStringLiteral("servers")].toArray())
            ports << m_ports.indexOf(QString::number(server[QStringLiteral("port")].toInt()));
        QCOMPARE(ports, shown);
    }

    void tableMostPlayersFirst()
    {
        const Result result = run({QStringLiteral("--master"), master(), QStringLiteral("--format"),
                                   QStringLiteral("table"), QStringLiteral("--include-silent")});
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
        const Result result =
            run({QStringLiteral("--format"), QStringLiteral("table"), QStringLiteral("--server"),
                 QStringLiteral("127.0.0.1:") + m_ports[0]});
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
        QFile list(m_home.filePath(QStringLiteral("servers.txt")));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(file);
        list.close();
        // The favourite is asked too; a server named twice is asked once.
        QFile favourites(configFile("favourites.txt"));
        QVERIFY(favourites.open(QIODevice::WriteOnly));
        favourites.write("127.0.0.1:" + m_ports[4].toLatin1() + "\n");
        favourites.close();
        const Result result =
            run({QStringLiteral("--servers-from"), list.fileName(), QStringLiteral("--server"),
                 QStringLiteral("127.0.0.1:") + m_ports[asked[0]], QStringLiteral("--favourites"),
                 QStringLiteral("--include-silent")});
        favourites.remove();
        QCOMPARE(result.status, 0);
        QVERIFY(result.json()[QStringLiteral("master")].isNull());
        QList<int> ports;
        for (const QJsonValue& server : result.json()[QStringLiteral("servers")].toArray())
            ports << m_ports.indexOf(QString::number(server[QStringLiteral("port")].toInt()));
        QCOMPARE(ports, asked << 4);
        QCOMPARE(result.json()[QStringLiteral("queried")].toInt(), 3);
    }

    void masterFromSettings()
    {
        Settings settings;
        settings.setValue(Settings::MasterHost, QStringLiteral("127.0.0.1"));
        settings.setValue(Settings::MasterPort, QString::number(m_net->masterPort()));
        QCOMPARE(settings.save(configFile("vnhsettings.txt")), QString());
        const Result result = run({});
        QFile::remove(configFile("vnhsettings.txt"));
        QCOMPARE(result.status, 0);
        QCOMPARE(result.json()[QStringLiteral("master")].toObject()[QStringLiteral("port")].toInt(),
                 m_net->masterPort());
        QCOMPARE(result.json()[QStringLiteral("answered")].toInt(), 5);
    }

    void exitStatus_data()
    {
        const QString quiet = QStringLiteral("127.0.0.1:%1").arg(freeUdpPort());
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        QTest::newRow("no answer")
            << QStringList{QStringLiteral("--server"), QStringLiteral("127.0.0.1:PORT5")} << 0
            << QStringLiteral("");
        QTest::newRow("master silent")
            << QStringList{QStringLiteral("--master"), quiet, QStringLiteral("--master-timeout"),
                           QStringLiteral("200")}
            << 1 << "Error: The master server did not answer. Check Master Server IP";
        QTest::newRow("port taken")
            << QStringList{QStringLiteral("--server"), QStringLiteral("127.0.0.1:PORT0"),
                           QStringLiteral("--local-port"), QStringLiteral("TAKEN")}
            << 1 << "WSRF2 Error : ";
        QTest::newRow("bad type") << QStringList{QStringLiteral("--type"), QStringLiteral("race")}
                                  << 2 << "bad value for --type: race";
        QTest::newRow("bad rate") << QStringList{QStringLiteral("--rate"), QStringLiteral("0")} << 2
                                  << QStringLiteral("bad value for --rate: 0");
        QTest::newRow("unknown") << QStringList{QStringLiteral("--colour")} << 2
                                 << QStringLiteral("unknown option: --colour");
        QTest::newRow("master and servers")
            << QStringList{QStringLiteral("--master"), quiet, QStringLiteral("--server"), quiet}
            << 2 << "--master cannot be combined";
        QTest::newRow("no file") << QStringList{QStringLiteral("--servers-from"),
                                                QStringLiteral("/nonexistent/list")}
                                 << 2 << "/nonexistent/list";
        QTest::newRow("watch 0") << QStringList{QStringLiteral("--watch"), QStringLiteral("0")} << 2
                                 << QStringLiteral("bad value for --watch");
        QTest::newRow("watch as a table")
            << QStringList{QStringLiteral("--watch"), QStringLiteral("1"),
                           QStringLiteral("--format"), QStringLiteral("table")}
            << 2 << QStringLiteral("--watch writes JSON lines only");
        QTest::newRow("friends alone") << QStringList{QStringLiteral("--friends")} << 2
                                       << QStringLiteral("--friends goes with --watch");
    }
    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, error);
        QUdpSocket taken;
        QVERIFY(taken.bind(QHostAddress::AnyIPv4, 0));
        arguments.replaceInStrings(QStringLiteral("PORT5"), m_ports[5])
            .replaceInStrings(QStringLiteral("PORT0"), m_ports[0]);
        arguments.replaceInStrings(QStringLiteral("TAKEN"), QString::number(taken.localPort()));
        const Result result = run(arguments);
        QCOMPARE(result.status, status);
        const QString err = QString::fromUtf8(result.err);
        QCOMPARE(err.count(u'\n'), error.isEmpty() ? 0 : 1);
        QVERIFY2(error.isEmpty() || err.startsWith(QStringLiteral("varnholt-query: ") + error),
                 qPrintable(err));
        if (status == 2)
            QVERIFY(err.contains(QStringLiteral("--help")));
        if (status == 0)
            QCOMPARE(result.json()[QStringLiteral("answered")].toInt(), 0);
    }

    // Against a scripted network: at 1 s kasia and Bob join one server and
    // the other goes silent.
    void watchReportsChanges_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("joined");
        // Quiet is the favourite; a server given keeps the master out.
        QTest::newRow("a favourite, friends only")
            << QStringList{QStringLiteral("--favourites"), QStringLiteral("--server"),
                           QStringLiteral("127.0.0.1:WATCHED"), QStringLiteral("--friends")}
            << QStringList{QStringLiteral("kasia")};
        QTest::newRow("the master, every player")
            << QStringList{QStringLiteral("--master"), QStringLiteral("MASTER"),
                           QStringLiteral("--players")}
            << QStringList{QStringLiteral("Bob"), QStringLiteral("kasia")};
    }
    void watchReportsChanges()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, joined);
        QFile script(m_home.filePath(QStringLiteral("watched.txt")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("Watched | dm02 | | 0 | 1/16 | 145\n+ players | Zed\n"
                     "Quiet | ctf01 | | 1 | 0/8 | 145\n@ 1s join \"Watched\" Bob\n"
                     "@ 1s join \"Watched\" kasia\n@ 1s silent \"Quiet\"\n");
        script.close();
        TestNetProcess net({QStringLiteral("--scenario"), script.fileName()});
        QVERIFY2(net.waitForReady(), qPrintable(net.failure()));
        QFile favourites(configFile("favourites.txt")), friends(configFile("friends.txt"));
        QVERIFY(favourites.open(QIODevice::WriteOnly) && friends.open(QIODevice::WriteOnly));
        favourites.write("127.0.0.1:" + QByteArray::number(net.serverPorts()[1]) + "\n");
        friends.write("# the clan\nKAS*\n");
        favourites.close();
        friends.close();

        QProcess watch;
        watch.setProcessEnvironment(programEnvironment());
        arguments
            .replaceInStrings(QStringLiteral("MASTER"),
                              QString(QStringLiteral("127.0.0.1:%1")).arg(net.masterPort()))
            .replaceInStrings(QStringLiteral("WATCHED"), QString::number(net.serverPorts()[0]));
        watch.start(QStringLiteral(VARNHOLT_BIN_DIR "/varnholt-query"),
                    arguments << QStringLiteral("--watch") << QStringLiteral("0.2")
                              << QStringLiteral("--timeout") << QStringLiteral("150"));
        QList<QJsonObject> lines;
        QStringList seenJoined;
        const auto seen = [&](const QString& event) {
            return std::any_of(lines.cbegin(), lines.cend(), [&](const QJsonObject& line) {
                return line[QStringLiteral("event")] == event;
            });
        };
        QVERIFY(QTest::qWaitFor(
            [&] {
                while (watch.canReadLine())
                    lines << QJsonDocument::fromJson(watch.readLine()).object();
                return seen(QStringLiteral("server_down")) &&
                       seen(QStringLiteral("player_joined")) &&
                       seen(QStringLiteral("players_changed"));
            },
            15000));
#ifdef Q_OS_WIN
        // No SIGTERM: a console program stops at Ctrl+C, which cannot be
        // sent to a child without a console of its own. Every line is
        // written at once, so the lines so far are all there.
        watch.kill();
        QVERIFY(watch.waitForFinished(5000));
#else
        watch.terminate(); // SIGTERM
        QVERIFY(watch.waitForFinished(5000));
        QCOMPARE(watch.exitStatus(), QProcess::NormalExit);
        QCOMPARE(watch.exitCode(), 0);
#endif
        favourites.remove();
        friends.remove();
        while (watch.canReadLine())
            lines << QJsonDocument::fromJson(watch.readLine()).object();

        QCOMPARE(lines.first()[QStringLiteral("event")], QStringLiteral("snapshot"));
        QCOMPARE(lines.first()[QStringLiteral("servers")].toArray().size(), 2);
        const QRegularExpression isoUtc(
            QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$"));
        for (const QJsonObject& line : std::as_const(lines).mid(1)) {
            QVERIFY2(isoUtc.match(line[QStringLiteral("time")].toString()).hasMatch(),
                     qPrintable(line[QStringLiteral("time")].toString()));
            QCOMPARE(line[QStringLiteral("address")], QStringLiteral("127.0.0.1"));
            QVERIFY(net.serverPorts().contains(quint16(line[QStringLiteral("port")].toInt())));
            const QString event = line[QStringLiteral("event")].toString();
            if (event == QStringLiteral("player_joined")) {
                QCOMPARE(line[QStringLiteral("name")], QStringLiteral("Watched"));
                seenJoined << line[QStringLiteral("player")].toString();
            } else if (event == QStringLiteral("players_changed")) {
                QCOMPARE(line[QStringLiteral("players_before")].toInt(), 1);
                QCOMPARE(line[QStringLiteral("players")].toInt(), 3);
            } else {
                // Quiet, once, as last seen.
                QCOMPARE(event, QStringLiteral("server_down"));
                QCOMPARE(line[QStringLiteral("name")], QStringLiteral("Quiet"));
                QCOMPARE(line[QStringLiteral("map")], QStringLiteral("ctf01"));
                QCOMPARE(line[QStringLiteral("responded")], false);
            }
        }
        QCOMPARE(seenJoined, joined);
    }

    void helpAndVersion()
    {
        const Result help = run({QStringLiteral("--help")}, false);
        QCOMPARE(help.status, 0);
        for (const char* option :
             {"--master", "--server", "--servers-from", "--favourites", "--rate", "--timeout",
              "--one-at-a-time", "--players", "--local-port", "--type", "--game-version",
              "--not-empty", "--not-full", "--no-password", "--include-silent", "--format",
              "--version", "--watch", "--friends"})
            QVERIFY2(help.out.contains(option), option);
        QCOMPARE(run({QStringLiteral("--version")}, false).out,
                 "varnholt-query " VARNHOLT_VERSION "\n");
    }
};

QTEST_GUILESS_MAIN(TestQueryProgram)
#include "tst_queryprogram.moc"
