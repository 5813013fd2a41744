#include "core/browser/friends.h"
#include "core/wire/friendsfile.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestFriends : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void matching_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("exact, other case") << "Kasia"
                                           << "kASIA" << true;
        QTest::newRow("whole name only") << "kasia"
                                         << "kasia2" << false;
        QTest::newRow("star at the end") << "kasia*"
                                         << "Kasia_PL" << true;
        QTest::newRow("star matches nothing") << "kasia*"
                                              << "kasia" << true;
        QTest::newRow("star inside") << "[RF]*zed"
                                     << "[rf]Big Zed" << true;
        QTest::newRow("backtracking") << "*a*b"
                                      << "aXaYb" << true;
        QTest::newRow("backtracking fails") << "*a*b"
                                            << "aXaYbc" << false;
        QTest::newRow("question mark is one") << "z?d"
                                              << "zed" << true;
        QTest::newRow("question mark not none") << "z?d"
                                                << "zd" << false;
        QTest::newRow("non-ASCII case")
            << QString::fromUtf8("\xc3\x96rjan") << "\xc3\xb6rjan" << true;
        QTest::newRow("slash is a character") << "a*b"
                                              << "a/b" << true;
    }
    void matching()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QCOMPARE(FriendsFile::matches(pattern, name), matches);
    }

    void fileKeepsCommentsAndChangesAtomically()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("friends.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("# clan\r\n\r\n  kasia*  \r\n#1 is a comment\nBlue\nKASIA*\nz\xf6\x64\n");
        file.close();
        Friends friends;
        friends.load(path);
        // Latin-1 read as such; a pattern twice (ignoring case) listed once.
        QCOMPARE(friends.patterns(), (QStringList{QStringLiteral("kasia*"), QStringLiteral("Blue"),
                                                  QString::fromUtf8("z\xc3\xb6\x64")}));
        QCOMPARE(friends.friendsAmong({QStringLiteral("blue"), QStringLiteral("Kasia_PL"),
                                       QStringLiteral("red"), QStringLiteral("#1 is a comment")}),
                 (QStringList{QStringLiteral("blue"), QStringLiteral("Kasia_PL")}));

        QSignalSpy changed(&friends, &Friends::changed);
        QCOMPARE(friends.add(QStringLiteral("blue")), QString()); // already there
        QCOMPARE(friends.add(QStringLiteral(" Zed? ")), QString());
        QCOMPARE(friends.remove(QStringLiteral("Kasia*")), QString());
        QVERIFY(
            friends.add(QStringLiteral("# no")).startsWith(QStringLiteral("not a name pattern")));
        QVERIFY(
            friends.add(QStringLiteral("a\nb")).startsWith(QStringLiteral("not a name pattern")));
        QCOMPARE(changed.size(), 2);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(),
                 QByteArray("# clan\n\n#1 is a comment\nBlue\nz\xc3\xb6\x64\nZed?\n"));
        file.close();
        QVERIFY(!friends.matches(QStringLiteral("kasia")));
        QVERIFY(friends.matches(QStringLiteral("zedd")));

        // A folder in the file's place: the save fails, nothing changes.
        const QString blocked = dir.filePath(QStringLiteral("blocked"));
        QVERIFY(QDir().mkpath(blocked));
        friends.load(blocked);
        QVERIFY(friends.add(QStringLiteral("x")).startsWith(blocked + QStringLiteral(": ")));
        QVERIFY(friends.patterns().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFriends)
#include "tst_friends.moc"
