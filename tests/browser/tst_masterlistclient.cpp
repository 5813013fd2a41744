#include "core/browser/masterlistclient.h"
#include "core/browser/serverbrowser.h"
#include "core/settings/settings.h"
#include "core/wire/masterprotocol.h"
#include "freeport.h"
#include "tempdatafolder.h"
#include "testnetprocess.h"

#include <QFile>
#include <QNetworkDatagram>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

QByteArray fileText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

QStringList texts(const QList<ServerEndpoint>& servers)
{
    QStringList list;
    for (const ServerEndpoint& server : servers)
        list.append(server.text());
    return list;
}

// A master server made by hand on 127.0.0.1.
struct Master
{
    Master() { socket.bind(QHostAddress::LocalHost, 0); }
    quint16 port() const { return socket.localPort(); }

    // The next datagram the master receives from anyone; invalid after 5 s.
    QNetworkDatagram receive()
    {
        if (!QTest::qWaitFor([this] { return socket.hasPendingDatagrams(); }, 5000))
            return {};
        return socket.receiveDatagram();
    }

    void sendTo(quint16 port, const QByteArray& datagram)
    {
        socket.writeDatagram(datagram, QHostAddress::LocalHost, port);
    }

    QUdpSocket socket;
};

// The client alone, with everything it hands out recorded.
struct ClientRig
{
    ClientRig()
    {
        QObject::connect(&client, &MasterListClient::listPartReceived,
                         [this](quint16 total, const QList<ServerEndpoint>& servers) {
                             totals.append(total);
                             partServers += servers;
                         });
        QObject::connect(
            &client, &MasterListClient::finished,
            [this](const QList<ServerEndpoint>& servers) { finished.append(servers); });
        QObject::connect(&client, &MasterListClient::failed,
                         [this](MasterListClient::Failure failure) { failures.append(failure); });
    }

    void start(const QString& host = QStringLiteral("127.0.0.1"))
    {
        client.start(host, master.port(), localPort);
    }
    void sendToClient(const QByteArray& datagram) { master.sendTo(localPort, datagram); }

    Master master;
    quint16 localPort = freeUdpPort();
    MasterListClient client;
    QList<int> totals;
    QList<ServerEndpoint> partServers;
    QList<QList<ServerEndpoint>> finished;
    QList<MasterListClient::Failure> failures;
};

// Get List as the main window drives it: the browser with its cache file.
struct BrowserRig
{
    BrowserRig()
    {
        settings.setValue(Settings::MasterHost, QStringLiteral("127.0.0.1"));
        settings.setValue(Settings::MasterPort, QString::number(master.port()));
        settings.setValue(Settings::MasterLocalPort, QString::number(freeUdpPort()));
        settings.setValue(Settings::QueryLocalPort, QString::number(freeUdpPort()));
        browser.setCacheFile(data.cacheFile());
        QObject::connect(&browser, &ServerBrowser::statusChanged,
                         [this](const QString& text) { statuses.append(text); });
        QObject::connect(&browser, &ServerBrowser::busyChanged,
                         [this](bool busy) { busyChanges.append(busy); });
        QObject::connect(browser.masterList(), &MasterListClient::failed,
                         [this](MasterListClient::Failure failure) { failures.append(failure); });
    }

    quint16 localPort() const { return settings.port(Settings::MasterLocalPort).value(); }
    void sendToClient(const QByteArray& datagram) { master.sendTo(localPort(), datagram); }

    TempDataFolder data;
    Master master;
    Settings settings;
    ServerBrowser browser{&settings};
    QStringList statuses;
    QList<bool> busyChanges;
    QList<MasterListClient::Failure> failures;
};

const QByteArray twoRecordPart =
    hex("0206060011223344 0000 02 2c01 0000 c0a8010a0258 0a00000503e7");
const QByteArray listEnd = hex("02060700a0b0c0d0 0000");
const QByteArray listEndAck = hex("02060100a0b0c0d0 0a0000");
// Get List ends in the query of the servers listed; without filters that
// stops at once, and asks nobody.
const QString filtersNotSet = QStringLiteral("Error: Please set game filters first");

} // namespace

class TestMasterListClient : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sendsListRequestFromLocalPort()
    {
        ClientRig rig;
        rig.start();
        QVERIFY(rig.client.isRunning());

        const QNetworkDatagram request = rig.master.receive();
        QCOMPARE(request.data(), hex("0206050000000000 0a0000"));
        QCOMPARE(request.senderPort(), int(rig.localPort));
        QVERIFY(rig.totals.isEmpty());
    }

    void twoRecordExampleWritesFourLines()
    {
        BrowserRig rig;
        rig.browser.getList();
        QVERIFY(rig.master.receive().isValid());
        QCOMPARE(rig.busyChanges, QList<bool>{true});

        rig.sendToClient(twoRecordPart);
        const QNetworkDatagram ack = rig.master.receive();
        QCOMPARE(ack.data(), hex("0206010011223344 0a0000"));
        QCOMPARE(ack.senderPort(), int(rig.localPort()));
        QCOMPARE(rig.statuses, QStringList{QStringLiteral("Found 300 servers")});
        QVERIFY(rig.browser.isBusy());

        rig.sendToClient(listEnd);
        QCOMPARE(rig.master.receive().data(), listEndAck);
        QTRY_COMPARE_WITH_TIMEOUT(rig.busyChanges, (QList<bool>{true, false}), 5000);
        QCOMPARE(rig.statuses, (QStringList{QStringLiteral("Found 300 servers"), filtersNotSet}));
        QVERIFY(!rig.browser.masterList()->isRunning());
        QCOMPARE(fileText(rig.data.cacheFile()),
                 QByteArray("192.168.1.10\r\n 600 \r\n10.0.0.5\r\n 999 \r\n"));
    }

    // Each row: datagrams from the master, then a list end. Expected: the
    // acknowledgements in order (the list end's last), the totals and the
    // servers listed.
    void datagramHandling_data()
    {
        QTest::addColumn<QList<QByteArray>>("datagrams");
        QTest::addColumn<QList<QByteArray>>("acks");
        QTest::addColumn<QList<int>>("totals");
        QTest::addColumn<QStringList>("servers");

        using Bytes = QList<QByteArray>;
        using Totals = QList<int>;
        QTest::newRow("list end before any part")
            << Bytes{} << Bytes{} << Totals{} << QStringList{};
        QTest::newRow("two records")
            << Bytes{twoRecordPart} << Bytes{hex("0206010011223344 0a0000")} << Totals{300}
            << QStringList{QStringLiteral("192.168.1.10:600"), QStringLiteral("10.0.0.5:999")};
        QTest::newRow("total 0 with three records")
            << Bytes{hex(
                   "0206060001010101 0000 03 0000 0000 010101010001 020202020002 030303030003")}
            << Bytes{hex("0206010001010101 0a0000")} << Totals{0} << QStringList{};
        QTest::newRow("count 0 with a total")
            << Bytes{hex("0206060002020202 0000 00 0500 0000 010101010001")}
            << Bytes{hex("0206010002020202 0a0000")} << Totals{5} << QStringList{};
        QTest::newRow("9 bytes dropped")
            << Bytes{hex("020606000303030300")} << Bytes{} << Totals{} << QStringList{};
        QTest::newRow("type 5 dropped")
            << Bytes{hex("0206050004040404 0a0000")} << Bytes{} << Totals{} << QStringList{};
        QTest::newRow("list part without its counts dropped")
            << Bytes{hex("0206060005050505 0000 02")} << Bytes{} << Totals{} << QStringList{};
        QTest::newRow("part shorter than its count")
            << Bytes{hex("0206060006060606 0000 03 0300 0000 7f000001 1e61 7f000002 1e")}
            << Bytes{hex("0206010006060606 0a0000")} << Totals{3}
            << QStringList{QStringLiteral("127.0.0.1:7777")};
        QTest::newRow("two parts: both totals, duplicates kept")
            << Bytes{hex("0206060007070707 0000 01 0a00 0000 010203040005"),
                     hex("0206060008080808 0000 02 0b00 0000 010203040005 000000 00ffff")}
            << Bytes{hex("0206010007070707 0a0000"), hex("0206010008080808 0a0000")}
            << Totals{10, 11}
            << QStringList{QStringLiteral("1.2.3.4:5"), QStringLiteral("1.2.3.4:5"),
                           QStringLiteral("0.0.0.0:65535")};
    }
    void datagramHandling()
    {
        QFETCH(QList<QByteArray>, datagrams);
        QFETCH(QList<QByteArray>, acks);
        QFETCH(QList<int>, totals);
        QFETCH(QStringList, servers);

        ClientRig rig;
        rig.start();
        QVERIFY(rig.master.receive().isValid());
        for (const QByteArray& datagram : datagrams)
            rig.sendToClient(datagram);
        rig.sendToClient(listEnd);

        QList<QByteArray> received;
        while (received.size() < acks.size() + 1) {
            const QNetworkDatagram datagram = rig.master.receive();
            QVERIFY2(datagram.isValid(), "acknowledgement missing");
            received.append(datagram.data());
        }
        QCOMPARE(received, acks + QList<QByteArray>{listEndAck});
        QTRY_COMPARE_WITH_TIMEOUT(rig.finished.size(), 1, 5000);
        QCOMPARE(rig.totals, totals);
        QCOMPARE(texts(rig.finished.first()), servers);
        QCOMPARE(rig.partServers, rig.finished.first());
        QVERIFY(!rig.client.isRunning());
        QVERIFY(!rig.master.socket.hasPendingDatagrams());
    }

    void masterByHostName()
    {
        // "localhost" comes from the hosts file, not from a name server. The
        // list end's acknowledgement goes out although the socket closes
        // right after it.
        ClientRig rig;
        rig.start(QStringLiteral("localhost"));
        QCOMPARE(rig.client.state(), MasterListClient::State::LookingUp);
        QCOMPARE(rig.master.receive().data(), MasterProtocol::listRequest());
        rig.sendToClient(listEnd);
        QCOMPARE(rig.master.receive().data(), listEndAck);
        QTRY_COMPARE_WITH_TIMEOUT(rig.finished.size(), 1, 5000);
    }

    void datagramsFromStrangersAreIgnored()
    {
        ClientRig rig;
        rig.start();
        QVERIFY(rig.master.receive().isValid());

        // Same address as the master, another port.
        QUdpSocket stranger;
        QVERIFY(stranger.bind(QHostAddress::LocalHost, 0));
        stranger.writeDatagram(twoRecordPart, QHostAddress::LocalHost, rig.localPort);
        stranger.writeDatagram(listEnd, QHostAddress::LocalHost, rig.localPort);

        // The master's own list end comes after them on the same path.
        rig.sendToClient(hex("0206070009090909 0000"));
        QCOMPARE(rig.master.receive().data(), hex("0206010009090909 0a0000"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.finished.size(), 1, 5000);
        QVERIFY(!stranger.hasPendingDatagrams());
        QVERIFY(rig.totals.isEmpty());
        QVERIFY(rig.finished.first().isEmpty());
    }

    void silentMasterEndsRetrieval()
    {
        BrowserRig rig;
        rig.browser.masterList()->setSilenceTimeout(200);
        rig.browser.getList();
        QVERIFY(rig.master.receive().isValid());

        QTRY_VERIFY_WITH_TIMEOUT(!rig.browser.isBusy(), 5000);
        QCOMPARE(rig.failures,
                 QList<MasterListClient::Failure>{MasterListClient::Failure::Silence});
        QCOMPARE(rig.statuses.size(), 1);
        QVERIFY(rig.statuses.first().startsWith(QStringLiteral("Error: ")));
        QVERIFY(!rig.browser.masterList()->isRunning());
        QCOMPARE(fileText(rig.data.cacheFile()), QByteArray());
    }

    void masterDatagramsKeepRetrievalAlive()
    {
        ClientRig rig;
        rig.client.setSilenceTimeout(300);
        rig.start();
        QVERIFY(rig.master.receive().isValid());

        // A slow master: one part every 100 ms for well over the time-out in
        // total, then the list end.
        QTimer pace;
        int parts = 0;
        connect(&pace, &QTimer::timeout, this, [&] {
            if (++parts <= 9) {
                const ServerRecord record{{10, 0, 0, quint8(parts)}, quint16(parts)};
                rig.sendToClient(
                    MasterProtocol::encodeListPart(QByteArray(4, char(parts)), 9, {record}));
            } else {
                pace.stop();
                rig.sendToClient(listEnd);
            }
        });
        pace.start(100);
        QTRY_COMPARE_WITH_TIMEOUT(rig.finished.size(), 1, 5000);
        QCOMPARE(rig.totals, QList<int>(9, 9));
        QCOMPARE(rig.finished.first().size(), 9);
        QVERIFY(rig.failures.isEmpty());
    }

    void socketErrorEndsRetrieval_data()
    {
        QTest::addColumn<QString>("masterHost");
        QTest::addColumn<bool>("occupyLocalPort");
        QTest::addColumn<MasterListClient::Failure>("failure");
        QTest::newRow("local port in use")
            << "127.0.0.1" << true << MasterListClient::Failure::SocketError;
        // Rejected by the resolver itself, before any look-up is made.
        QTest::newRow("host name that cannot be resolved")
            << "master..invalid" << false << MasterListClient::Failure::HostNotFound;
    }
    void socketErrorEndsRetrieval()
    {
        QFETCH(QString, masterHost);
        QFETCH(bool, occupyLocalPort);
        QFETCH(MasterListClient::Failure, failure);
        BrowserRig rig;
        QUdpSocket occupier;
        if (occupyLocalPort) {
            QVERIFY(occupier.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress));
            rig.settings.setValue(Settings::MasterLocalPort, QString::number(occupier.localPort()));
        }
        rig.settings.setValue(Settings::MasterHost, masterHost);

        rig.browser.getList();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.browser.isBusy(), 5000);
        QCOMPARE(rig.failures, QList<MasterListClient::Failure>{failure});
        QCOMPARE(rig.statuses.size(), 1);
        const QString text = rig.statuses.first();
        QVERIFY2(text.startsWith(QStringLiteral("WSRF Error : ")) && text.size() > 13,
                 qPrintable(text));
        QCOMPARE(rig.busyChanges, (QList<bool>{true, false}));
        QVERIFY(!rig.browser.masterList()->isRunning());

        // Get List works again at once.
        rig.settings.setValue(Settings::MasterHost, QStringLiteral("127.0.0.1"));
        rig.settings.setValue(Settings::MasterLocalPort, QString::number(freeUdpPort()));
        rig.browser.getList();
        QCOMPARE(rig.master.receive().data(), MasterProtocol::listRequest());
    }

    void invalidPortsAreRefusedBeforeSending_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("master port 0") << int(Settings::MasterPort) << "0";
        QTest::newRow("master port 65536") << int(Settings::MasterPort) << "65536";
        QTest::newRow("master port text") << int(Settings::MasterPort) << "abc";
        QTest::newRow("master port empty") << int(Settings::MasterPort) << "";
        QTest::newRow("local port negative") << int(Settings::MasterLocalPort) << "-5";
        QTest::newRow("local port 70000") << int(Settings::MasterLocalPort) << "70000";
    }
    void invalidPortsAreRefusedBeforeSending()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        BrowserRig rig;
        QFile old(rig.data.cacheFile());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("1.2.3.4\r\n 5 \r\n");
        old.close();
        rig.settings.setValue(Settings::Key(key), text);

        rig.browser.getList();
        QCOMPARE(rig.statuses, QStringList{Settings::invalidPortMessage(Settings::Key(key))});
        QVERIFY(!rig.browser.isBusy());
        QVERIFY(rig.busyChanges.isEmpty());
        QVERIFY(!rig.browser.masterList()->isRunning());
        QCOMPARE(fileText(rig.data.cacheFile()), QByteArray("1.2.3.4\r\n 5 \r\n"));
    }

    void getListTruncatesOldFile()
    {
        BrowserRig rig;
        rig.browser.getList();
        QVERIFY(rig.master.receive().isValid());
        rig.sendToClient(twoRecordPart);
        QVERIFY(rig.master.receive().isValid());
        rig.sendToClient(listEnd);
        QVERIFY(rig.master.receive().isValid());
        QTRY_VERIFY_WITH_TIMEOUT(!rig.browser.isBusy(), 5000);
        QVERIFY(!fileText(rig.data.cacheFile()).isEmpty());

        rig.browser.getList();
        // Emptied by the time the request is on the wire.
        QCOMPARE(rig.master.receive().data(), MasterProtocol::listRequest());
        QCOMPARE(fileText(rig.data.cacheFile()), QByteArray());
    }

    void stopClosesWithoutResult()
    {
        BrowserRig rig;
        rig.browser.getList();
        QVERIFY(rig.master.receive().isValid());
        rig.browser.stop();
        QVERIFY(!rig.browser.isBusy());
        QVERIFY(!rig.browser.masterList()->isRunning());
        QVERIFY(rig.statuses.isEmpty());
        rig.browser.stop();
        QCOMPARE(rig.busyChanges, (QList<bool>{true, false}));
        // The local port is free again.
        QUdpSocket probe;
        QVERIFY(probe.bind(QHostAddress::AnyIPv4, rig.localPort()));
    }

    void testNetworkListOf300ServersIn600Lines()
    {
        TestNetProcess net({QStringLiteral("--servers"), QStringLiteral("300"),
                            QStringLiteral("--seed"), QStringLiteral("7")});
        QVERIFY2(net.waitForReady(), qPrintable(net.failure()));
        QCOMPARE(net.serverPorts().size(), 300);

        BrowserRig rig;
        QList<ServerEndpoint> listed;
        connect(rig.browser.masterList(), &MasterListClient::finished, this,
                [&](const QList<ServerEndpoint>& servers) { listed = servers; });
        rig.settings.setValue(Settings::MasterPort, QString::number(net.masterPort()));
        rig.browser.getList();
        QTRY_COMPARE_WITH_TIMEOUT(rig.busyChanges, (QList<bool>{true, false}), 20000);
        QCOMPARE(rig.statuses.last(), filtersNotSet);
        QCOMPARE(rig.statuses.at(rig.statuses.size() - 2), QStringLiteral("Found 300 servers"));

        QByteArray expected;
        QList<ServerEndpoint> expectedList;
        for (quint16 port : net.serverPorts()) {
            expected += "127.0.0.1\r\n " + QByteArray::number(port) + " \r\n";
            expectedList.append({QStringLiteral("127.0.0.1"), port});
        }
        const QByteArray written = fileText(rig.data.cacheFile());
        QCOMPARE(written.count("\r\n"), 600);
        QCOMPARE(written, expected);
        QCOMPARE(listed, expectedList);
    }
};

QTEST_GUILESS_MAIN(TestMasterListClient)
#include "tst_masterlistclient.moc"
