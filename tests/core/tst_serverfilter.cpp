#include "core/browser/serverfilter.h"
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
        QTest::addColumn<bool>("passes");
        QTest::newRow("CTF 1.1 passes")
            << ServerFilter{G::CaptureTheFlag, V::Version11} << 135 << 1 << true;
        QTest::newRow("CTF is game type 1, not 0")
            << ServerFilter{G::CaptureTheFlag, V::Version11} << 135 << 0 << false;
        QTest::newRow("1.3 is byte 145, not 137")
            << ServerFilter{G::All, V::Version13} << 137 << 2 << false;
        QTest::newRow("TDM is game type 2")
            << ServerFilter{G::TeamDeathmatch, V::All} << 133 << 2 << true;
        QTest::newRow("unknown version and game type pass ALL")
            << ServerFilter{G::All, V::All} << 150 << 3 << true;
        QTest::newRow("unknown version fails 1.0")
            << ServerFilter{G::Deathmatch, V::Version10} << 150 << 0 << false;
        QTest::newRow("version not chosen") << ServerFilter{G::All, {}} << 133 << 0 << false;
        QTest::newRow("game type not chosen") << ServerFilter{{}, V::All} << 133 << 0 << false;
    }
    void passes()
    {
        QFETCH(ServerFilter, filter);
        QFETCH(int, versionByte);
        QFETCH(int, gameType);
        QFETCH(bool, passes);
        InfoReply reply;
        reply.version = quint8(versionByte);
        reply.gameType = quint8(gameType);
        QCOMPARE(filter.passes(reply), passes);
    }
};

QTEST_APPLESS_MAIN(TestServerFilter)
#include "tst_serverfilter.moc"
