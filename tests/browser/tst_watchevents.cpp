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
        QTest::newRow("the first look is the start")
            << QStringList{QStringLiteral("a 2 kasia,zed")} << QStringLiteral("");
        QTest::newRow("map and count") << QStringList{QStringLiteral("a 2"), QStringLiteral("b 3")}
                                       << QStringLiteral("2:2>3 5:a>b ");
        QTest::newRow("joined and left")
            << QStringList{QStringLiteral("a 2 kasia,zed"), QStringLiteral("a 2 blue,kasia")}
            << QStringLiteral("3:blue 4:zed ");
        QTest::newRow("a name twice")
            << QStringList{QStringLiteral("a 1 zed"), QStringLiteral("a 2 zed,zed")}
            << QStringLiteral("2:1>2 3:zed ");
        QTest::newRow("silent once is no outage")
            << QStringList{QStringLiteral("a 1"), QStringLiteral("-"), QStringLiteral("a 1")}
            << QStringLiteral("");
        QTest::newRow("down after two silent looks, once")
            << QStringList{QStringLiteral("a 1"), QStringLiteral("-"), QStringLiteral("-"),
                           QStringLiteral("-")}
            << QStringLiteral("1:a ");
        QTest::newRow("down and back") << QStringList{QStringLiteral("a 1"), QStringLiteral("-"),
                                                      QStringLiteral("-"), QStringLiteral("b 2")}
                                       << QStringLiteral("1:a 0:b ");
        QTest::newRow("silent from the start")
            << QStringList{QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                           QStringLiteral("a 0")}
            << QStringLiteral("0:a ");
        QTest::newRow("new at a later look")
            << QStringList{QStringLiteral("x"), QStringLiteral("a 0")} << QStringLiteral("0:a ");
        QTest::newRow("missing is silent, then forgotten")
            << QStringList{QStringLiteral("a 1"), QStringLiteral("x"), QStringLiteral("x"),
                           QStringLiteral("x"), QStringLiteral("a 1")}
            << QStringLiteral("1:a 0:a ");
        QTest::newRow("unknown list keeps the last one")
            << QStringList{QStringLiteral("a 1 kasia"), QStringLiteral("a 2 ?"),
                           QStringLiteral("a 2 kasia,zed")}
            << QStringLiteral("2:1>2 3:zed ");
        QTest::newRow("changes across a silent look")
            << QStringList{QStringLiteral("a 1"), QStringLiteral("-"), QStringLiteral("b 1")}
            << QStringLiteral("5:a>b ");
    }
    void looks()
    {
        QFETCH(QStringList, looks);
        QFETCH(QString, events);
        const ServerEndpoint server{QStringLiteral("127.0.0.1"), 7755};
        WatchEvents watch;
        QString seen;
        for (const QString& look : looks) {
            const QStringList words = look.split(u' ');
            WatchedServer now{server, std::nullopt, std::nullopt};
            if (words.size() > 1) {
                now.entry = ServerEntry{server, {}};
                now.entry->info.map = words[0].toLatin1();
                now.entry->info.players = quint8(words[1].toInt());
                if (words.value(2) != QStringLiteral("?"))
                    now.players = words.value(2).split(u',', Qt::SkipEmptyParts);
            }
            for (const WatchEvent& event :
                 watch.look(look == QStringLiteral("x") ? QList<WatchedServer>{} : QList{now})) {
                QCOMPARE(event.server, server);
                const QString what =
                    event.kind == WatchEvent::Kind::PlayersChanged
                        ? QStringLiteral("%1>%2").arg(event.playersBefore).arg(event.playersAfter)
                    : !event.player.isEmpty() ? event.player
                    : !event.mapBefore.isEmpty()
                        ? event.mapBefore + u'>' + QString::fromUtf8(event.entry.info.map)
                        : QString::fromUtf8(event.entry.info.map);
                seen += QStringLiteral("%1:%2 ").arg(int(event.kind)).arg(what);
            }
        }
        QCOMPARE(seen, events);
        watch.reset();
        QVERIFY(watch.look({{server, ServerEntry{server, {}}, std::nullopt}}).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWatchEvents)
#include "tst_watchevents.moc"
