#include "core/browser/watchevents.h"

#include <QTest>

class TestWatchEvents : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A look at one server: "MAP COUNT [NAMES|?]" ("?": list not known),
    // "-" silent, "x" missing. An event: its kind's number and what it holds.
    void looks_data()
    {
        QTest::addColumn<QStringList>("looks");
        QTest::addColumn<QString>("events");
        QTest::newRow("the first look is the start") << QStringList{"a 2 kasia,zed"} << "";
        QTest::newRow("map and count") << QStringList{"a 2", "b 3"} << "2:2>3 5:a>b ";
        QTest::newRow("joined and left")
            << QStringList{"a 2 kasia,zed", "a 2 blue,kasia"} << "3:blue 4:zed ";
        QTest::newRow("a name twice") << QStringList{"a 1 zed", "a 2 zed,zed"} << "2:1>2 3:zed ";
        QTest::newRow("silent once is no outage") << QStringList{"a 1", "-", "a 1"} << "";
        QTest::newRow("down after two silent looks, once")
            << QStringList{"a 1", "-", "-", "-"} << "1:a ";
        QTest::newRow("down and back") << QStringList{"a 1", "-", "-", "b 2"} << "1:a 0:b ";
        QTest::newRow("silent from the start") << QStringList{"-", "-", "-", "a 0"} << "0:a ";
        QTest::newRow("new at a later look") << QStringList{"x", "a 0"} << "0:a ";
        QTest::newRow("missing is silent, then forgotten")
            << QStringList{"a 1", "x", "x", "x", "a 1"} << "1:a 0:a ";
        QTest::newRow("unknown list keeps the last one")
            << QStringList{"a 1 kasia", "a 2 ?", "a 2 kasia,zed"} << "2:1>2 3:zed ";
        QTest::newRow("changes across a silent look") << QStringList{"a 1", "-", "b 1"} << "5:a>b ";
    }
    void looks()
    {
        QFETCH(QStringList, looks);
        QFETCH(QString, events);
        const ServerEndpoint server{"127.0.0.1", 7755};
        WatchEvents watch;
        QString seen;
        for (const QString& look : looks) {
            const QStringList words = look.split(u' ');
            WatchedServer now{server, std::nullopt, std::nullopt};
            if (words.size() > 1) {
                now.entry = ServerEntry{server, {}};
                now.entry->info.map = words[0].toLatin1();
                now.entry->info.players = quint8(words[1].toInt());
                if (words.value(2) != "?")
                    now.players = words.value(2).split(u',', Qt::SkipEmptyParts);
            }
            for (const WatchEvent& event :
                 watch.look(look == "x" ? QList<WatchedServer>{} : QList{now})) {
                QCOMPARE(event.server, server);
                const QString what =
                    event.kind == WatchEvent::Kind::PlayersChanged
                        ? QString("%1>%2").arg(event.playersBefore).arg(event.playersAfter)
                    : !event.player.isEmpty()    ? event.player
                    : !event.mapBefore.isEmpty() ? event.mapBefore + ">" + event.entry.info.map
                                                 : QString(event.entry.info.map);
                seen += QString("%1:%2 ").arg(int(event.kind)).arg(what);
            }
        }
        QCOMPARE(seen, events);
        watch.reset();
        QVERIFY(watch.look({{server, ServerEntry{server, {}}, std::nullopt}}).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWatchEvents)
#include "tst_watchevents.moc"
