#include "core/platform/datapaths.h"

#include <QTest>

class TestDataPaths : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void filesInUserFolders();
};

void TestDataPaths::filesInUserFolders()
{
#ifdef Q_OS_WIN
    // Roaming for what the player keeps, Local for the cache.
    qputenv("APPDATA", R"(C:\Users\p\AppData\Roaming)");
    qputenv("LOCALAPPDATA", R"(C:\Users\p\AppData\Local)");
    const QString config = QStringLiteral("C:/Users/p/AppData/Roaming/Varnholt/"),
                  cache = QStringLiteral("C:/Users/p/AppData/Local/Varnholt/cache/");
#else
    qputenv("XDG_CONFIG_HOME", "/tmp/varnholt-xdg/config");
    qputenv("XDG_CACHE_HOME", "/tmp/varnholt-xdg/cache");
    const QString config = QStringLiteral("/tmp/varnholt-xdg/config/varnholt/"),
                  cache = QStringLiteral("/tmp/varnholt-xdg/cache/varnholt/");
#endif
    QCOMPARE(DataPaths::settingsFile(), config + QStringLiteral("vnhsettings.txt"));
    QCOMPARE(DataPaths::preferencesFile(), config + QStringLiteral("varnholt.conf"));
    QCOMPARE(DataPaths::favouritesFile(), config + QStringLiteral("favourites.txt"));
    QCOMPARE(DataPaths::friendsFile(), config + QStringLiteral("friends.txt"));
    QCOMPARE(DataPaths::cacheFile(), cache + QStringLiteral("vnhdata.txt"));
}

QTEST_APPLESS_MAIN(TestDataPaths)
#include "tst_datapaths.moc"
