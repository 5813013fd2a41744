#include "core/browser/masterlistretrieval.h"
#include "core/wire/masterprotocol.h"
#include "freeport.h"
#include "core/platform/socket.h"
#include "core/settings/settings.h"
#include "tempdatafolder.h"
#include "testnetprocess.h"

#include <QFile>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <memory>

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

// Get List wired as the main window wires it, talking to a master server
// made by hand on 127.0.0.1.
struct Rig
{
    Rig()
    {
        wsrf.setProtocol(Socket::Protocol::Udp);
        master.bind(QHostAddress::LocalHost, 0);
        settings.setValue(Settings::MasterHost, "127.0.0.1");
        settings.setValue(Settings::IrcHost, "127.0.0.1");
        settings.setValue(Settings::MasterPort, QString::number(master.localPort()));
        settings.setValue(Settings::MasterLocalPort, QString::number(freeUdpPort()));
    }

    quint16 localPort() const { return settings.port(Settings::MasterLocalPort).value(); }

    // The next datagram the master receives from anyone; invalid after 5 s.
    QNetworkDatagram receive()
    {
        if (!QTest::qWaitFor([this] { return master.hasPendingDatagrams(); }, 5000))
            return {};
        return master.receiveDatagram();
    }

    void sendToClient(const QByteArray& datagram)
    {
        master.writeDatagram(datagram, QHostAddress::LocalHost, localPort());
    }

    TempDataFolder data;
    Settings settings;
    Socket wsrf;
    MasterListRetrieval retrieval{&wsrf, &settings};
    QUdpSocket master;
    QSignalSpy status{&retrieval, &MasterListRetrieval::statusChanged};
    QSignalSpy running{&retrieval, &MasterListRetrieval::runningChanged};
    QSignalSpy complete{&retrieval, &MasterListRetrieval::listComplete};
};

QStringList texts(const QSignalSpy& spy)
{
    QStringList list;
    for (const QList<QVariant>& arguments : spy)
        list.append(arguments.at(0).toString());
    return list;
}

const QByteArray twoRecordPart =
    hex("0206060011223344 0000 02 2c01 0000 c0a8010a0258 0a00000503e7");
const QByteArray listEnd = hex("02060700a0b0c0d0 0000");
const QByteArray listEndAck = hex("02060100a0b0c0d0 0a0000");

} // namespace

class TestMasterListRetrieval : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sendsListRequestFromLocalPort()
    {
        Rig rig;
        rig.retrieval.start();
        QVERIFY(rig.retrieval.isRunning());
        QCOMPARE(rig.running.count(), 1);
        QCOMPARE(rig.running[0][0].toBool(), true);

        const QNetworkDatagram request = rig.receive();
        QCOMPARE(request.data(), hex("0206050000000000 0a0000"));
        QCOMPARE(request.senderPort(), int(rig.localPort()));
        QVERIFY(rig.status.isEmpty()); // the status line keeps its text
    }

    void twoRecordExampleWritesFourLines()
    {
        Rig rig;
        rig.retrieval.start();
        QVERIFY(rig.receive().isValid());

        rig.sendToClient(twoRecordPart);
        const QNetworkDatagram ack = rig.receive();
        QCOMPARE(ack.data(), hex("0206010011223344 0a0000"));
        QCOMPARE(ack.senderPort(), int(rig.localPort()));
        QCOMPARE(texts(rig.status), QStringList{"Found 300 servers"});
        QVERIFY(rig.retrieval.isRunning());

        rig.sendToClient(listEnd);
        QCOMPARE(rig.receive().data(), listEndAck);
        QTRY_COMPARE_WITH_TIMEOUT(rig.complete.count(), 1, 5000);
        QVERIFY(!rig.retrieval.isRunning());
        QCOMPARE(rig.running.count(), 2);
        QCOMPARE(rig.running[1][0].toBool(), false);
        QCOMPARE(rig.wsrf.state(), Socket::Closed);
        QCOMPARE(fileText(rig.data.cacheFile()),
                 QByteArray("192.168.1.10\r\n 600 \r\n10.0.0.5\r\n 999 \r\n"));
    }

    // Each row: datagrams from the master, then a list end. Expected: the
    // acknowledgements in order (the list end's last), the status texts and
    // the file.
    void datagramHandling_data()
    {
        QTest::addColumn<QList<QByteArray>>("datagrams");
        QTest::addColumn<QList<QByteArray>>("acks");
        QTest::addColumn<QStringList>("statuses");
        QTest::addColumn<QByteArray>("file");

        using Bytes = QList<QByteArray>;
        QTest::newRow("list end before any part")
            << Bytes{} << Bytes{} << QStringList{} << QByteArray();
        QTest::newRow("total 0 with three records")
            << Bytes{hex(
                   "0206060001010101 0000 03 0000 0000 010101010001 020202020002 030303030003")}
            << Bytes{hex("0206010001010101 0a0000")} << QStringList{"Found 0 servers"}
            << QByteArray();
        QTest::newRow("count 0 with a total")
            << Bytes{hex("0206060002020202 0000 00 0500 0000 010101010001")}
            << Bytes{hex("0206010002020202 0a0000")} << QStringList{"Found 5 servers"}
            << QByteArray();
        QTest::newRow("9 bytes dropped")
            << Bytes{hex("020606000303030300")} << Bytes{} << QStringList{} << QByteArray();
        QTest::newRow("type 5 dropped")
            << Bytes{hex("0206050004040404 0a0000")} << Bytes{} << QStringList{} << QByteArray();
        QTest::newRow("list part without its counts dropped")
            << Bytes{hex("0206060005050505 0000 02")} << Bytes{} << QStringList{} << QByteArray();
        QTest::newRow("part shorter than its count")
            << Bytes{hex("0206060006060606 0000 03 0300 0000 7f000001 1e61 7f000002 1e")}
            << Bytes{hex("0206010006060606 0a0000")} << QStringList{"Found 3 servers"}
            << QByteArray("127.0.0.1\r\n 7777 \r\n");
        QTest::newRow("two parts: later total shown, duplicates kept")
            << Bytes{hex("0206060007070707 0000 01 0a00 0000 010203040005"),
                     hex("0206060008080808 0000 02 0b00 0000 010203040005 000000 00ffff")}
            << Bytes{hex("0206010007070707 0a0000"), hex("0206010008080808 0a0000")}
            << QStringList{"Found 10 servers", "Found 11 servers"}
            << QByteArray("1.2.3.4\r\n 5 \r\n1.2.3.4\r\n 5 \r\n0.0.0.0\r\n 65535 \r\n");
    }
    void datagramHandling()
    {
        QFETCH(QList<QByteArray>, datagrams);
        QFETCH(QList<QByteArray>, acks);
        QFETCH(QStringList, statuses);
        QFETCH(QByteArray, file);

        Rig rig;
        rig.retrieval.start();
        QVERIFY(rig.receive().isValid());
        for (const QByteArray& datagram : datagrams)
            rig.sendToClient(datagram);
        rig.sendToClient(listEnd);

        QList<QByteArray> received;
        while (received.size() < acks.size() + 1) {
            const QNetworkDatagram datagram = rig.receive();
            QVERIFY2(datagram.isValid(), "acknowledgement missing");
            received.append(datagram.data());
        }
        QCOMPARE(received, acks + QList<QByteArray>{listEndAck});
        QTRY_COMPARE_WITH_TIMEOUT(rig.complete.count(), 1, 5000);
        QCOMPARE(texts(rig.status), statuses);
        QVERIFY(QFile::exists(rig.data.cacheFile()));
        QCOMPARE(fileText(rig.data.cacheFile()), file);
        QVERIFY(!rig.master.hasPendingDatagrams());
    }

    void datagramsFromStrangersAreIgnored()
    {
        Rig rig;
        rig.retrieval.start();
        QVERIFY(rig.receive().isValid());

        // Same address as the master, another port.
        QUdpSocket stranger;
        QVERIFY(stranger.bind(QHostAddress::LocalHost, 0));
        stranger.writeDatagram(twoRecordPart, QHostAddress::LocalHost, rig.localPort());
        stranger.writeDatagram(listEnd, QHostAddress::LocalHost, rig.localPort());

        // The master's own list end comes after them on the same path.
        rig.sendToClient(hex("0206070009090909 0000"));
        QCOMPARE(rig.receive().data(), hex("0206010009090909 0a0000"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.complete.count(), 1, 5000);
        QVERIFY(!stranger.hasPendingDatagrams());
        QVERIFY(rig.status.isEmpty());
        QCOMPARE(fileText(rig.data.cacheFile()), QByteArray());
    }

    void silentMasterEndsRetrieval()
    {
        Rig rig;
        rig.retrieval.setSilenceTimeout(200);
        rig.retrieval.start();
        QVERIFY(rig.receive().isValid());

        QTRY_VERIFY_WITH_TIMEOUT(!rig.retrieval.isRunning(), 5000);
        QCOMPARE(rig.status.count(), 1);
        QVERIFY(rig.status[0][0].toString().startsWith("Error: "));
        QCOMPARE(rig.complete.count(), 0);
        QCOMPARE(rig.wsrf.state(), Socket::Closed);
        QCOMPARE(fileText(rig.data.cacheFile()), QByteArray());
    }

    void masterDatagramsKeepRetrievalAlive()
    {
        Rig rig;
        rig.retrieval.setSilenceTimeout(300);
        rig.retrieval.start();
        QVERIFY(rig.receive().isValid());

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
        QTRY_COMPARE_WITH_TIMEOUT(rig.complete.count(), 1, 5000);
        QCOMPARE(rig.status.count(), 9);
        QCOMPARE(rig.status.last()[0].toString(), QStringLiteral("Found 9 servers"));
        QCOMPARE(fileText(rig.data.cacheFile()).count("\r\n"), 18);
    }

    void socketErrorEndsRetrieval_data()
    {
        QTest::addColumn<QString>("masterHost");
        QTest::addColumn<bool>("occupyLocalPort");
        QTest::newRow("local port in use") << "127.0.0.1" << true;
        // Rejected by the resolver itself, before any look-up is made.
        QTest::newRow("host name that cannot be resolved") << "master..invalid" << false;
    }
    void socketErrorEndsRetrieval()
    {
        QFETCH(QString, masterHost);
        QFETCH(bool, occupyLocalPort);
        Rig rig;
        QUdpSocket occupier;
        if (occupyLocalPort) {
            QVERIFY(occupier.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress));
            rig.settings.setValue(Settings::MasterLocalPort, QString::number(occupier.localPort()));
        }
        rig.settings.setValue(Settings::MasterHost, masterHost);

        rig.retrieval.start();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.retrieval.isRunning(), 5000);
        QCOMPARE(rig.status.count(), 1);
        const QString text = rig.status[0][0].toString();
        QVERIFY2(text.startsWith("WSRF Error : ") && text.size() > 13, qPrintable(text));
        QCOMPARE(rig.complete.count(), 0);
        QCOMPARE(rig.wsrf.state(), Socket::Closed);

        // Get List works again at once.
        rig.settings.setValue(Settings::MasterHost, "127.0.0.1");
        rig.settings.setValue(Settings::MasterLocalPort, QString::number(freeUdpPort()));
        rig.retrieval.start();
        QCOMPARE(rig.receive().data(), MasterProtocol::listRequest());
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
        Rig rig;
        QFile old(rig.data.cacheFile());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("1.2.3.4\r\n 5 \r\n");
        old.close();
        rig.settings.setValue(Settings::Key(key), text);

        rig.retrieval.start();
        QCOMPARE(texts(rig.status), QStringList{Settings::invalidPortMessage(Settings::Key(key))});
        QVERIFY(!rig.retrieval.isRunning());
        QCOMPARE(rig.running.count(), 0);
        QCOMPARE(rig.wsrf.state(), Socket::Closed);
        QCOMPARE(fileText(rig.data.cacheFile()), QByteArray("1.2.3.4\r\n 5 \r\n"));
    }

    void getListTruncatesOldFile()
    {
        Rig rig;
        rig.retrieval.start();
        QVERIFY(rig.receive().isValid());
        rig.sendToClient(twoRecordPart);
        QVERIFY(rig.receive().isValid());
        rig.sendToClient(listEnd);
        QVERIFY(rig.receive().isValid());
        QTRY_COMPARE_WITH_TIMEOUT(rig.complete.count(), 1, 5000);
        QVERIFY(!fileText(rig.data.cacheFile()).isEmpty());

        rig.retrieval.start();
        // Emptied by the time the request is on the wire.
        QCOMPARE(rig.receive().data(), MasterProtocol::listRequest());
        QCOMPARE(fileText(rig.data.cacheFile()), QByteArray());
    }

    void stopClosesWithoutResult()
    {
        Rig rig;
        rig.retrieval.start();
        QVERIFY(rig.receive().isValid());
        rig.retrieval.stop();
        QVERIFY(!rig.retrieval.isRunning());
        QCOMPARE(rig.wsrf.state(), Socket::Closed);
        QCOMPARE(rig.complete.count(), 0);
        rig.retrieval.stop();
        QCOMPARE(rig.running.count(), 2);
    }

    void testNetworkListOf300ServersIn600Lines()
    {
        TestNetProcess net({"--servers", "300", "--seed", "7"});
        QVERIFY2(net.waitForReady(), qPrintable(net.failure()));
        QCOMPARE(net.serverPorts().size(), 300);

        Rig rig;
        rig.settings.setValue(Settings::MasterPort, QString::number(net.masterPort()));
        rig.retrieval.start();
        QTRY_COMPARE_WITH_TIMEOUT(rig.complete.count(), 1, 20000);
        QCOMPARE(texts(rig.status).last(), QStringLiteral("Found 300 servers"));

        QByteArray expected;
        for (quint16 port : net.serverPorts())
            expected += "127.0.0.1\r\n " + QByteArray::number(port) + " \r\n";
        const QByteArray written = fileText(rig.data.cacheFile());
        QCOMPARE(written.count("\r\n"), 600);
        QCOMPARE(written, expected);
    }
};

QTEST_GUILESS_MAIN(TestMasterListRetrieval)
#include "tst_masterlistretrieval.moc"
