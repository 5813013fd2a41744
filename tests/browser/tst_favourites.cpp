#include "core/browser/favourites.h"
#include "core/wire/favouritesfile.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestFavourites : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("server"); // empty: none
        QTest::newRow("blanks and a comment") << "  rf.example.org:7755 # clan"
                                              << "rf.example.org:7755";
        for (const char* line : {"# my servers", "   ", "10.0.0.1", "10.0.0.1:0", "10.0 .1:7755"})
            QTest::newRow(line) << line << "";
    }
    void lines()
    {
        QFETCH(QString, line);
        QFETCH(QString, server);
        const std::optional<ServerEndpoint> parsed = FavouritesFile::parseLine(line);
        QCOMPARE(parsed ? parsed->text() : QString(), server);
    }

    void changesKeepOtherLinesAndAreAtomic()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sub/favourites.txt"));
        Favourites favourites;
        favourites.load(path);
        QVERIFY(favourites.servers().isEmpty());
        QCOMPARE(favourites.add({QStringLiteral("10.0.0.1"), 7755}), QString());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // A stray CR before a line end is no part of the line.
        file.write("# mine\r\nnot a server\r\r\n10.0.0.1:7755 # first\nSk\xc3\xb6vde.example:7756\n"
                   "10.0.0.1:7755\n");
        file.close();
        favourites.load(path);
        QCOMPARE(favourites.servers(),
                 (QList<ServerEndpoint>{{QStringLiteral("10.0.0.1"), 7755},
                                        {QString::fromUtf8("Sk\xc3\xb6vde.example"), 7756}}));

        QSignalSpy changed(&favourites, &Favourites::changed);
        QCOMPARE(favourites.add({QStringLiteral("10.0.0.9"), 7755}), QString());
        QCOMPARE(favourites.remove({QStringLiteral("10.0.0.1"), 7755}), QString());
        QCOMPARE(changed.size(), 2);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("# mine\nnot a server\nSk\xc3\xb6vde.example:7756\n"
                                            "10.0.0.9:7755\n"));

        // A folder in the file's place: the save fails, nothing changes.
        const QString blocked = dir.filePath(QStringLiteral("blocked"));
        QVERIFY(QDir().mkpath(blocked));
        favourites.load(blocked);
        const QString failure = favourites.add({QStringLiteral("10.0.0.2"), 7755});
        QVERIFY2(failure.startsWith(blocked + QStringLiteral(": ")), qPrintable(failure));
        QVERIFY(favourites.servers().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFavourites)
#include "tst_favourites.moc"
