#include "core/wire/inforeply.h"
#include "core/wire/masterprotocol.h"
#include "core/wire/playerlist.h"
#include "core/wire/playerlistassembler.h"
#include "testnetprocess.h"

#include <QNetworkDatagram>
#include <QProcess>
#include <QTemporaryFile>
#include <QTest>
#include <QUdpSocket>

namespace {

// A client socket on 127.0.0.1 that waits for datagrams without sleeping.
struct Client
{
    Client() { socket.bind(QHostAddress::LocalHost, 0); }
    void send(const QByteArray& bytes, quint16 port)
    {
        socket.writeDatagram(bytes, QHostAddress::LocalHost, port);
    }
    QNetworkDatagram receive(int timeoutMs = 5000)
    {
        if (!QTest::qWaitFor([this] { return socket.hasPendingDatagrams(); }, timeoutMs))
            return {};
        return socket.receiveDatagram();
    }
    QUdpSocket socket;
};

} // namespace

class TestTestNet : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void scenarioServersReplyAsConfigured()
    {
        QTemporaryFile scenario;
        QVERIFY(scenario.open());
        scenario.write("# name | map | mod | type | players | version | delay | silent | trailing\n"
                       "Rail Yard | dm02 | | 0 | 5/16 | 145 | 0 | no | 0a0b0c\n"
                       "\n"
                       "Quiet One | ctf01 | instagib | 1 | 0/8 | 137 | 0 | silent\n"
                       "Old Timer | dm10 | classic | 2 | 3/12 | 135 | 20\n");
        scenario.close();
        TestNetProcess net(
            {QStringLiteral("--scenario"), scenario.fileName(), QStringLiteral("--log")});
        QVERIFY2(net.waitForReady(), qPrintable(net.failure()));
        QCOMPARE(net.serverPorts().size(), 3);

        Client client;
        const QString from = QStringLiteral(" 127.0.0.1:%1 ").arg(client.socket.localPort());
        QStringList log;
        const auto logged = [&](const QString& line) {
            return QTest::qWaitFor(
                [&] {
                    log += net.takeLines();
                    return log.contains(line);
                },
                5000);
        };
        client.send(InfoProtocol::request(), net.serverPorts()[1]); // silent
        client.send("junk", net.serverPorts()[0]);                  // not a request
        QVERIFY(logged(QStringLiteral("RECV server:") + QString::number(net.serverPorts()[1]) +
                       from + QStringLiteral("00000000")));
        QVERIFY(logged(QStringLiteral("RECV server:") + QString::number(net.serverPorts()[0]) +
                       from + QStringLiteral("6a756e6b")));

        // Any answer to the two above would be on its way before this one.
        client.send(InfoProtocol::request(), net.serverPorts()[0]);
        const QNetworkDatagram first = client.receive();
        QCOMPARE(first.senderPort(), int(net.serverPorts()[0]));
        const QByteArray reply = first.data();
        QCOMPARE(reply.left(2), QByteArray("\x00\x01", 2));
        QCOMPARE(quint8(reply[2]) | quint8(reply[3]) << 8, int(reply.size() - 4));
        QVERIFY(reply.endsWith("\x0a\x0b\x0c"));
        const auto parsed = InfoProtocol::parseReply(reply);
        QVERIFY(parsed);
        QCOMPARE(parsed->name, QByteArray("Rail Yard"));
        QCOMPARE(parsed->map, QByteArray("dm02"));
        QCOMPARE(parsed->mod, QByteArray());
        QCOMPARE(parsed->players, quint8(5));
        QCOMPARE(parsed->maxPlayers, quint8(16));
        QCOMPARE(parsed->version, quint8(145));

        client.send(InfoProtocol::request(), net.serverPorts()[2]);
        const QNetworkDatagram delayed = client.receive();
        QCOMPARE(delayed.senderPort(), int(net.serverPorts()[2]));
        QCOMPARE(InfoProtocol::parseReply(delayed.data())->gameType, quint8(2));
        QVERIFY(!client.socket.hasPendingDatagrams());
    }

    void masterSendsPartsAfterEachAckAndResends()
    {
        TestNetProcess net({QStringLiteral("--servers"), QStringLiteral("5"),
                            QStringLiteral("--per-part"), QStringLiteral("2"),
                            QStringLiteral("--ack-timeout"), QStringLiteral("100")});
        QVERIFY2(net.waitForReady(), qPrintable(net.failure()));
        Client client;
        client.send(MasterProtocol::listRequest(), net.masterPort());

        QList<ServerRecord> listed;
        const QNetworkDatagram first = client.receive();
        // Not acknowledged: the same part comes again.
        QCOMPARE(client.receive().data(), first.data());
        QByteArray current = first.data();
        for (int part = 0; part < 3; ++part) {
            const auto parsed = MasterProtocol::parse(current);
            QVERIFY(parsed);
            QCOMPARE(parsed->type, quint8(MasterProtocol::ListPart));
            QCOMPARE(parsed->serverTotal, quint16(5));
            listed += parsed->records;
            client.send(MasterProtocol::acknowledgement(parsed->echo), net.masterPort());
            // Skip resends of the part just acknowledged that crossed the ack.
            do {
                current = client.receive().data();
            } while (current == MasterProtocol::encodeListPart(parsed->echo, 5, parsed->records));
        }
        const auto end = MasterProtocol::parse(current);
        QVERIFY(end);
        QCOMPARE(end->type, quint8(MasterProtocol::ListEnd));
        QCOMPARE(listed.size(), 5);
        for (qsizetype i = 0; i < listed.size(); ++i) {
            QCOMPARE(listed[i].address(), QStringLiteral("127.0.0.1"));
            QCOMPARE(listed[i].port, net.serverPorts()[i]);
        }
    }

    void generatedServersLookReal()
    {
        TestNetProcess net({QStringLiteral("--servers"), QStringLiteral("30"),
                            QStringLiteral("--seed"), QStringLiteral("3"),
                            QStringLiteral("--delay"), QStringLiteral("0-5")});
        QVERIFY2(net.waitForReady(), qPrintable(net.failure()));
        Client client;
        QSet<QByteArray> names;
        int withTrailing = 0;
        for (quint16 port : net.serverPorts()) {
            client.send(InfoProtocol::request(), port);
            const QByteArray reply = client.receive().data();
            const auto parsed = InfoProtocol::parseReply(reply);
            QVERIFY(parsed);
            QVERIFY2(QList<int>({135, 137, 145}).contains(parsed->version),
                     qPrintable(QString::number(parsed->version)));
            QVERIFY(parsed->players <= parsed->maxPlayers);
            QVERIFY(parsed->gameType <= 2);
            names.insert(parsed->name);
            const int fieldsSize =
                12 + int(parsed->name.size() + parsed->map.size() + parsed->mod.size());
            withTrailing += reply.size() > fieldsSize ? 1 : 0;
        }
        QVERIFY(names.size() > 10);
        QVERIFY(withTrailing > 0);
    }

    void demoServersListTheirPlayers()
    {
        TestNetProcess net(
            {QStringLiteral("--scenario"),
             QStringLiteral(QT_TESTCASE_SOURCEDIR "/../tools/testnet/demo-scenario.txt")});
        QVERIFY2(net.waitForReady(), qPrintable(net.failure()));
        Client client;
        const QList<quint16> ports = net.serverPorts();
        // Rail Yard [EU]: names only, with the reserved tail.
        client.send(PlayerListProtocol::request(), ports[0]);
        const auto names = PlayerListProtocol::parseDatagram(client.receive().data());
        QVERIFY(std::holds_alternative<PlayerList>(names));
        QCOMPARE(std::get<PlayerList>(names).players.size(), 11);
        // Glass House CTF: scores in segments, once a second per address.
        client.send(PlayerListProtocol::request(), ports[1]);
        client.send(PlayerListProtocol::request(), ports[1]);
        PlayerListAssembler assembler;
        std::optional<QByteArray> payload;
        int segments = 0;
        while (!payload) {
            const QNetworkDatagram datagram = client.receive();
            const auto parsed = PlayerListProtocol::parseDatagram(datagram.data());
            QVERIFY(std::holds_alternative<PlayerListProtocol::Segment>(parsed));
            ++segments;
            payload = assembler.add(datagram.senderAddress(), quint16(datagram.senderPort()),
                                    std::get<PlayerListProtocol::Segment>(parsed));
        }
        QVERIFY(segments > 1);
        const std::optional<PlayerList> scores = PlayerListProtocol::parseScores(*payload);
        QVERIFY(scores);
        QCOMPARE(scores->players.size(), 14);
        QCOMPARE(scores->level, QByteArray("ctf01"));
        QCOMPARE(int(scores->gameType), 1);
        // Bunker Rats runs the stock game.
        client.send(PlayerListProtocol::request(), ports[2]);
        QVERIFY(!client.receive(500).isValid());
    }

    void scriptChangesTheServers()
    {
        QTemporaryFile scenario;
        QVERIFY(scenario.open());
        scenario.write("Rail Yard | dm02 | | 0 | 1/16 | 145\n+ players | Zed\n"
                       "@ 1.5s silent \"Rail Yard\"\n@ 0ms join \"Rail Yard\" kasia\n"
                       "@ 0ms leave \"Rail Yard\" Zed\n@ 0ms map \"Rail Yard\" dm05\n");
        scenario.close();
        TestNetProcess net({QStringLiteral("--scenario"), scenario.fileName()});
        QVERIFY2(net.waitForReady(), qPrintable(net.failure()));
        Client client;
        client.send(InfoProtocol::request(), net.serverPorts()[0]);
        const std::optional<InfoReply> info = InfoProtocol::parseReply(client.receive().data());
        QVERIFY(info);
        QCOMPARE(info->map, QByteArray("dm05"));
        QCOMPARE(int(info->players), 1);
        client.send(PlayerListProtocol::request(), net.serverPorts()[0]);
        const auto names = PlayerListProtocol::parseDatagram(client.receive().data());
        QVERIFY(std::holds_alternative<PlayerList>(names));
        QCOMPARE(std::get<PlayerList>(names).players.value(0).name, QByteArray("kasia"));
        QTest::qWait(1600);
        client.send(InfoProtocol::request(), net.serverPorts()[0]);
        QVERIFY(!client.receive(500).isValid());
    }

    void badScriptLinesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("reason");
        QTest::newRow("time") << QByteArray("@ 5x back \"A\"") << QByteArray("a time is");
        QTest::newRow("server") << QByteArray("@ 1s back \"B\"") << QByteArray("no server \"B\"");
        QTest::newRow("no name") << QByteArray("@ 1s join \"A\"") << QByteArray("join needs");
        QTest::newRow("extra") << QByteArray("@ 1s back \"A\" x") << QByteArray("back takes");
        QTest::newRow("repeat at 0") << QByteArray("@ 0s repeat") << QByteArray("repeat takes");
        QTest::newRow("action") << QByteArray("@ 1s dance \"A\"") << QByteArray("unknown action");
    }
    void badScriptLinesAreRefused()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, reason);
        QTemporaryFile scenario;
        QVERIFY(scenario.open());
        scenario.write("A | dm02 | | 0 | 1/16 | 145\n" + line + '\n');
        scenario.close();
        QProcess process;
        process.start(QStringLiteral(VARNHOLT_BIN_DIR "/varnholt-testnet"),
                      {QStringLiteral("--scenario"), scenario.fileName()});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 2);
        const QByteArray error = process.readAllStandardError();
        QVERIFY2(error.contains("line 2: " + reason), error.constData());
    }

    void badArgumentsAreRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--frobnicate"), QStringLiteral("1")};
        QTest::newRow("missing value") << QStringList{QStringLiteral("--servers")};
        QTest::newRow("per part 256")
            << QStringList{QStringLiteral("--per-part"), QStringLiteral("256")};
        QTest::newRow("drop 101") << QStringList{QStringLiteral("--drop"), QStringLiteral("101")};
        QTest::newRow("missing file") << QStringList{QStringLiteral("--scenario"),
                                                     QStringLiteral("/nonexistent/scenario.txt")};
    }
    void badArgumentsAreRefused()
    {
        QFETCH(QStringList, arguments);
        QProcess process;
        process.start(QStringLiteral(VARNHOLT_BIN_DIR "/varnholt-testnet"), arguments);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(process.readAllStandardError().startsWith("varnholt-testnet: "));
        QVERIFY(process.readAllStandardOutput().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTestNet)
#include "tst_testnet.moc"
