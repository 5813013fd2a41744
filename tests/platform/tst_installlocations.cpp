#include "core/platform/installlocations.h"
#include "fakeregistry.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using Root = RegistryReader::Root;
using View = RegistryReader::View;

class TestInstallLocations : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void launcherInCommand_data();
    void launcherInCommand();
    void gameDirectoryOrder_data();
    void gameDirectoryOrder();
    void launcherFolders();
#ifdef Q_OS_WIN
    void systemReaderReadsRegistry();
#endif
};

void TestInstallLocations::launcherInCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("program"); // empty: none
    const QString dash = R"(C:\Program Files (x86)\Dash Faction\DashFactionLauncher.EXE)";
    QTest::newRow("quoted, with arguments") << '"' + dash + R"(" -url "%1")" << dash;
    QTest::newRow("unquoted, with arguments") << "  " + dash + R"( -url "%1")" << dash;
    QTest::newRow("unquoted alone") << dash << dash;
    QTest::newRow("ours") << R"("C:\Apps\Varnholt\varnholt.exe" "%1")"
                          << "";
    QTest::newRow("unclosed quote") << '"' + dash + " -url %1"
                                    << "";
    QTest::newRow("no program") << "-url %1"
                                << "";
}

void TestInstallLocations::launcherInCommand()
{
    QFETCH(QString, command);
    QFETCH(QString, program);
    QCOMPARE(InstallLocations::launcherInCommand(command), program);
}

void TestInstallLocations::gameDirectoryOrder_data()
{
    QTest::addColumn<QString>("present"); // "-": recorded, but the folder is gone
    QTest::addColumn<QString>("found");
    QTest::newRow("none") << ""
                          << "";
    QTest::newRow("Steam before GOG") << "gog steam"
                                      << "steam";
    QTest::newRow("game before Steam") << "steam game"
                                       << "game";
    QTest::newRow("Dash before game") << "game dash"
                                      << "dash";
    QTest::newRow("Alpine first, gone folder passed over") << "-alpine dash alpine2"
                                                           << "dash";
}

void TestInstallLocations::gameDirectoryOrder()
{
    QFETCH(QString, present);
    QFETCH(QString, found);
    QTemporaryDir root;
    const QMap<QString, QString> keys{
        {"alpine", R"(Software\Volition\Red Faction\Alpine Faction|Executable Path)"},
        {"dash", R"(Software\Volition\Red Faction\Dash Faction|Executable Path)"},
        {"game", R"(SOFTWARE\Volition\Red Faction|InstallPath)"},
        {"steam",
         R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Steam App 20530|InstallLocation)"},
        {"gog", R"(SOFTWARE\Nordic Games\Red Faction|INSTALL_DIR)"}};
    FakeRegistry registry;
    for (const QString& name : present.split(' ', Qt::SkipEmptyParts)) {
        const QString folder = QString(name).remove('-'), key = keys[folder];
        const bool perUser = key.startsWith("Software");
        QVERIFY(name.startsWith('-') || QDir(root.path()).mkdir(folder));
        // The machine's entries count in the 32-bit view only.
        registry.set(perUser ? Root::CurrentUser : Root::LocalMachine, key.section('|', 0, 0),
                     key.section('|', 1), root.filePath(folder) + (perUser ? "/rf.exe" : ""),
                     perUser ? View::Native : View::Wow32);
        registry.set(Root::LocalMachine, key.section('|', 0, 0), key.section('|', 1), "/");
    }
    QCOMPARE(InstallLocations::gameDirectory(registry.reader()),
             found.isEmpty() ? "" : root.filePath(found));
}

void TestInstallLocations::launcherFolders()
{
    QTemporaryDir root;
    for (const char* name : {"alpine", "dash", "mine", "varnholt", "other"})
        QVERIFY(QDir(root.path()).mkdir(name));
    const QString handler = R"(Software\Classes\rf\shell\open\command)";
    FakeRegistry registry;
    // Our own per-user handler hides the machine's, which is read instead.
    registry.set(Root::CurrentUser, handler, "", root.filePath("varnholt/varnholt.exe %1"));
    registry.set(Root::LocalMachine, handler, "", root.filePath("alpine/x.exe -url %1"));
    const auto entry = [&](Root at, View view, const QString& name, const QString& folder) {
        const QString key = R"(Software\Microsoft\Windows\CurrentVersion\Uninstall\)" + name;
        registry.set(at, key, "DisplayName", name, view);
        registry.set(at, key, "InstallLocation", root.filePath(folder), view);
    };
    entry(Root::LocalMachine, View::Wow32, "Dash Faction 1.8", "dash");
    entry(Root::LocalMachine, View::Wow32, "alpine faction", "alpine"); // listed already
    entry(Root::LocalMachine, View::Wow32, "Another game", "other");
    entry(Root::LocalMachine, View::Native, "Dash Faction", "other"); // not the installers' view
    entry(Root::CurrentUser, View::Native, "Dash Faction (mine)", "mine");
    entry(Root::CurrentUser, View::Native, "Dash Faction", "gone");
    QCOMPARE(InstallLocations::launcherFolders(registry.reader()),
             (QStringList{root.filePath("alpine"), root.filePath("dash"), root.filePath("mine")}));
}

#ifdef Q_OS_WIN
void TestInstallLocations::systemReaderReadsRegistry()
{
    const QString key = R"(Software\Varnholt tests)";
    QSettings user("HKEY_CURRENT_USER\\" + key, QSettings::NativeFormat);
    user.setValue("Sub/Default", "default value");
    const RegistryReader registry = RegistryReader::system();
    QCOMPARE(registry.value(Root::CurrentUser, key + R"(\Sub)", "", View::Native), "default value");
    QCOMPARE(registry.subkeys(Root::CurrentUser, key, View::Native), QStringList{"Sub"});
    user.remove("");

    QSettings machine32("HKEY_LOCAL_MACHINE\\" + key, QSettings::Registry32Format);
    machine32.setValue("Install Path", R"(C:\RF32)");
    machine32.sync();
    if (machine32.status() != QSettings::NoError)
        QSKIP("HKLM is not writable here");
    QCOMPARE(registry.value(Root::LocalMachine, key, "Install Path", View::Wow32), R"(C:\RF32)");
    QCOMPARE(registry.value(Root::LocalMachine, key, "Install Path", View::Native), "");
    machine32.remove("");
}
#endif

QTEST_GUILESS_MAIN(TestInstallLocations)
#include "tst_installlocations.moc"
