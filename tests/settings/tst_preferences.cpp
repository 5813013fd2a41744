#include "core/settings/preferences.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// varnholt.conf: what a player or an older file may hold, and what the
// program writes back.
class TestPreferences : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readsFileText_data();
    void readsFileText();
    void readsWatchValues_data();
    void readsWatchValues();
    void roundTripKeepsEveryValue();
    void savingOneValueKeepsTheOthers();

private:
    QString writeFile(const QByteArray& text)
    {
        const QString path = m_dir.filePath(QStringLiteral("varnholt.conf"));
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text);
        return path;
    }
    QTemporaryDir m_dir;
};

void TestPreferences::readsFileText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("launcher");
    QTest::addColumn<int>("rate");
    QTest::addColumn<bool>("parallel");
    QTest::addColumn<bool>("reconnect");
    QTest::addColumn<bool>("filterComplete");

    QTest::newRow("no file values: defaults")
        << QByteArray() << int(LauncherChoice::Automatic) << 250 << false << true << false;
    QTest::newRow("values as written")
        << QByteArray(
               "[game]\nlauncher=dashfaction\n[browser]\nparallel=true\n"
               "requests_per_second=40\ngame_type=ctf\nversion=1.2\n[irc]\nreconnect=false\n")
        << int(LauncherChoice::DashFaction) << 40 << true << false << true;
    QTest::newRow("unknown words read as defaults")
        << QByteArray("[game]\nlauncher=quake\n[browser]\nparallel=maybe\nrequests_per_second=x\n"
                      "game_type=ctf\nversion=2.0\n")
        << int(LauncherChoice::Automatic) << 250 << false << true << false;
    QTest::newRow("rate clamped, case ignored")
        << QByteArray("[game]\nlauncher=AlpineFaction\n[browser]\nrequests_per_second=99999\n")
        << int(LauncherChoice::AlpineFaction) << 2000 << false << true << false;
}

void TestPreferences::readsFileText()
{
    QFETCH(QByteArray, text);
    Preferences preferences;
    preferences.load(writeFile(text));
    QTEST(int(preferences.launcher()), "launcher");
    QTEST(preferences.requestsPerSecond(), "rate");
    QTEST(preferences.flag(Preferences::ParallelRefresh), "parallel");
    QTEST(preferences.flag(Preferences::IrcReconnect), "reconnect");
    QTEST(preferences.serverFilter().isComplete(), "filterComplete");
}

void TestPreferences::readsWatchValues_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("atLeast");
    QTest::addColumn<int>("closeToTray"); // -1: never asked
    QTest::newRow("defaults") << QByteArray() << 60 << 2 << -1;
    QTest::newRow("below the range")
        << QByteArray("[watch]\ninterval_seconds=5\nplayers_at_least=0\nclose_to_tray=false\n")
        << 15 << 1 << 0;
    QTest::newRow("above the range, answered yes")
        << QByteArray("[watch]\ninterval_seconds=99999\nplayers_at_least=4\nclose_to_tray=true\n")
        << 3600 << 4 << 1;
    QTest::newRow("not numbers") << QByteArray("[watch]\ninterval_seconds=soon\n") << 60 << 2 << -1;
}

void TestPreferences::readsWatchValues()
{
    QFETCH(QByteArray, text);
    Preferences preferences;
    preferences.load(writeFile(text));
    QTEST(preferences.watchIntervalSeconds(), "interval");
    QTEST(preferences.watchPlayersAtLeast(), "atLeast");
    const std::optional<bool> answer = preferences.closeToTray();
    QTEST(answer ? int(*answer) : -1, "closeToTray");
    QVERIFY(!preferences.flag(Preferences::WatchEnabled));
}

void TestPreferences::roundTripKeepsEveryValue()
{
    Preferences written;
    written.setLauncher(LauncherChoice::RedFaction);
    written.setRequestsPerSecond(10);
    written.setFlag(Preferences::HideFull, true);
    written.setServerFilter({GameTypeFilter::TeamDeathmatch, VersionFilter::All});
    written.setWindowGeometry(QByteArray("\x01\x00\xff=geometry", 12));
    written.setIrcCaFile(QStringLiteral("/tmp/a b/ca.pem"));
    const QString path = m_dir.filePath(QStringLiteral("sub/varnholt.conf"));
    QCOMPARE(written.save(path), QString());

    Preferences read;
    read.load(path);
    for (int key = 0; key < Preferences::keyCount; ++key) {
        QCOMPARE(read.flag(Preferences::Key(key)), written.flag(Preferences::Key(key)));
    }
    QCOMPARE(read.launcher(), LauncherChoice::RedFaction);
    QCOMPARE(read.requestsPerSecond(), 10);
    QCOMPARE(read.serverFilter(), written.serverFilter());
    QCOMPARE(read.windowGeometry(), QByteArray("\x01\x00\xff=geometry", 12));
    QCOMPARE(read.ircCaFile(), QStringLiteral("/tmp/a b/ca.pem"));
}

void TestPreferences::savingOneValueKeepsTheOthers()
{
    const QString path = writeFile("[browser]\nhide_empty=true\n[irc]\ntls=true\n");
    Preferences preferences;
    preferences.setFlag(Preferences::HideEmpty, false); // changed, but not saved
    preferences.setWindowGeometry("abc");
    QCOMPARE(preferences.saveValue(path, Preferences::WindowGeometry), QString());

    Preferences read;
    read.load(path);
    QVERIFY(read.flag(Preferences::HideEmpty));
    QVERIFY(read.flag(Preferences::IrcTls));
    QCOMPARE(read.windowGeometry(), QByteArray("abc"));
}

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
