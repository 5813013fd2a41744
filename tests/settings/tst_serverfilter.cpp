#include "core/settings/serverfilter.h"
#include "core/wire/inforeply.h"

#include <QTest>

Q_DECLARE_METATYPE(ServerFilter)

class TestServerFilter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void passes_data()
    {
        using G = GameTypeFilter;
        using V = VersionFilter;
        QTest::addColumn<ServerFilter>("filter");
        QTest::addColumn<int>("versionByte");
        QTest::addColumn<int>("gameType");
        QTest::addColumn<QByteArray>("playersMaxFlags");
        QTest::addColumn<bool>("passes");
        QTest::newRow("CTF 1.1 passes") << ServerFilter{G::CaptureTheFlag, V::Version11} << 135 << 1
                                        << QByteArray("\x03\x08\x00", 3) << true;
        QTest::newRow("CTF is game type 1, not 0")
            << ServerFilter{G::CaptureTheFlag, V::Version11} << 135 << 0
            << QByteArray("\x03\x08\x00", 3) << false;
        QTest::newRow("1.3 is byte 145, not 137") << ServerFilter{G::All, V::Version13} << 137 << 2
                                                  << QByteArray("\x03\x08\x00", 3) << false;
        QTest::newRow("TDM is game type 2") << ServerFilter{G::TeamDeathmatch, V::All} << 133 << 2
                                            << QByteArray("\x03\x08\x00", 3) << true;
        QTest::newRow("unknown version and game type pass ALL")
            << ServerFilter{G::All, V::All} << 150 << 3 << QByteArray("\x03\x08\x00", 3) << true;
        QTest::newRow("unknown version fails 1.0")
            << ServerFilter{G::Deathmatch, V::Version10} << 150 << 0
            << QByteArray("\x03\x08\x00", 3) << false;
        QTest::newRow("a version not chosen restricts nothing")
            << ServerFilter{G::Deathmatch, {}} << 150 << 0 << QByteArray("\x03\x08\x00", 3) << true;
        QTest::newRow("a game type not chosen restricts nothing")
            << ServerFilter{{}, V::Version10} << 133 << 3 << QByteArray("\x03\x08\x00", 3) << true;
        QTest::newRow("the other choice still applies")
            << ServerFilter{{}, V::Version10} << 135 << 3 << QByteArray("\x03\x08\x00", 3) << false;

        // Bytes: players, maximum players, flags.
        const auto hide = [](bool empty, bool full, bool password) {
            return ServerFilter{G::All, V::All, empty, full, password};
        };
        QTest::newRow("empty server hidden")
            << hide(true, false, false) << 133 << 0 << QByteArray("\x00\x08\x00", 3) << false;
        QTest::newRow("one player is not empty")
            << hide(true, false, false) << 133 << 0 << QByteArray("\x01\x08\x00", 3) << true;
        QTest::newRow("full server hidden")
            << hide(false, true, false) << 133 << 0 << QByteArray("\x08\x08\x00", 3) << false;
        QTest::newRow("one place left")
            << hide(false, true, false) << 133 << 0 << QByteArray("\x07\x08\x00", 3) << true;
        QTest::newRow("more players than places is full")
            << hide(false, true, false) << 133 << 0 << QByteArray("\x09\x08\x00", 3) << false;
        QTest::newRow("no places named is never full")
            << hide(false, true, false) << 133 << 0 << QByteArray("\x00\x00\x00", 3) << true;
        QTest::newRow("password server hidden")
            << hide(false, false, true) << 133 << 0 << QByteArray("\x03\x08\x05", 3) << false;
        QTest::newRow("other flags are no password")
            << hide(false, false, true) << 133 << 0 << QByteArray("\x03\x08\x03", 3) << true;
        QTest::newRow("password shown when not hidden")
            << hide(true, true, false) << 133 << 0 << QByteArray("\x03\x08\x04", 3) << true;
    }
    void passes()
    {
        QFETCH(ServerFilter, filter);
        QFETCH(int, versionByte);
        QFETCH(int, gameType);
        QFETCH(QByteArray, playersMaxFlags);
        QFETCH(bool, passes);
        InfoReply reply;
        reply.players = quint8(playersMaxFlags[0]);
        reply.maxPlayers = quint8(playersMaxFlags[1]);
        reply.flags = quint8(playersMaxFlags[2]);
        reply.version = quint8(versionByte);
        reply.gameType = quint8(gameType);
        QCOMPARE(filter.passes(reply), passes);
    }
};

QTEST_APPLESS_MAIN(TestServerFilter)
#include "tst_serverfilter.moc"
