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
    const QString dash =
        QStringLiteral(R"(C:\Program Files (x86)\Dash Faction\DashFactionLauncher.EXE)");
    QTest::newRow("quoted, with arguments")
        << u'"' + dash + QStringLiteral("\" -url \"%1\"") << dash;
    QTest::newRow("unquoted, with arguments")
        << QStringLiteral("  ") + dash + QStringLiteral(" -url \"%1\"") << dash;
    QTest::newRow("unquoted alone") << dash << dash;
    QTest::newRow("ours") << R"("C:\Apps\Varnholt\varnholt.exe" "%1")"
                          << "";
    QTest::newRow("unclosed quote")
        << u'"' + dash + QStringLiteral(" -url %1") << QStringLiteral("");
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
        {QStringLiteral("alpine"),
         QStringLiteral(R"(Software\Volition\Red Faction\Alpine Faction|Executable Path)")},
        {QStringLiteral("dash"),
         QStringLiteral(R"(Software\Volition\Red Faction\Dash Faction|Executable Path)")},
        {QStringLiteral("game"), QStringLiteral(R"(SOFTWARE\Volition\Red Faction|InstallPath)")},
        {QStringLiteral("steam"),
         QStringLiteral(
             R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Steam App 20530|InstallLocation)")},
        {QStringLiteral("gog"),
         QStringLiteral(R"(SOFTWARE\Nordic Games\Red Faction|INSTALL_DIR)")}};
    FakeRegistry registry;
    for (const QString& name : present.split(u' ', Qt::SkipEmptyParts)) {
        const QString folder = QString(name).remove(u'-'), key = keys[folder];
        const bool perUser = key.startsWith(QStringLiteral("Software"));
        QVERIFY(name.startsWith(u'-') || QDir(root.path()).mkdir(folder));
        // The machine's entries count in the 32-bit view only.
        registry.set(perUser ? Root::CurrentUser : Root::LocalMachine, key.section(u'|', 0, 0),
                     key.section(u'|', 1),
                     root.filePath(folder) +
                         (perUser ? QStringLiteral("/rf.exe") : QStringLiteral("")),
                     perUser ? View::Native : View::Wow32);
        registry.set(Root::LocalMachine, key.section(u'|', 0, 0), key.section(u'|', 1),
                     QStringLiteral("/"));
    }
    QCOMPARE(InstallLocations::gameDirectory(registry.reader()),
             found.isEmpty() ? QStringLiteral("") : root.filePath(found));
}

void TestInstallLocations::launcherFolders()
{
    QTemporaryDir root;
    for (const char* name : {"alpine", "dash", "mine", "varnholt", "other"})
        QVERIFY(QDir(root.path()).mkdir(QString::fromUtf8(name)));
    const QString handler = QStringLiteral(R"(Software\Classes\rf\shell\open\command)");
    FakeRegistry registry;
    // Our own per-user handler hides the machine's, which is read instead.
    registry.set(Root::CurrentUser, handler, QStringLiteral(""),
                 root.filePath(QStringLiteral("varnholt/varnholt.exe %1")));
    registry.set(Root::LocalMachine, handler, QStringLiteral(""),
                 root.filePath(QStringLiteral("alpine/x.exe -url %1")));
    const auto entry = [&](Root at, View view, const QString& name, const QString& folder) {
        const QString key =
            QStringLiteral(R"(Software\Microsoft\Windows\CurrentVersion\Uninstall\)") + name;
        registry.set(at, key, QStringLiteral("DisplayName"), name, view);
        registry.set(at, key, QStringLiteral("InstallLocation"), root.filePath(folder), view);
    };
    entry(Root::LocalMachine, View::Wow32, QStringLiteral("Dash Faction 1.8"),
          QStringLiteral("dash"));
    entry(Root::LocalMachine, View::Wow32, QStringLiteral("alpine faction"),
          QStringLiteral("alpine")); // listed already
    entry(Root::LocalMachine, View::Wow32, QStringLiteral("Another game"), QStringLiteral("other"));
    entry(Root::LocalMachine, View::Native, QStringLiteral("Dash Faction"),
          QStringLiteral("other")); // not the installers' view
    entry(Root::CurrentUser, View::Native, QStringLiteral("Dash Faction (mine)"),
          QStringLiteral("mine"));
    entry(Root::CurrentUser, View::Native, QStringLiteral("Dash Faction"), QStringLiteral("gone"));
    QCOMPARE(
        InstallLocations::launcherFolders(registry.reader()),
        (QStringList{root.filePath(QStringLiteral("alpine")), root.filePath(QStringLiteral("dash")),
                     root.filePath(QStringLiteral("mine"))}));
}

#ifdef Q_OS_WIN
void TestInstallLocations::systemReaderReadsRegistry()
{
    const QString key = QStringLiteral(R"(Software\Varnholt tests)");
    QSettings user(QStringLiteral("HKEY_CURRENT_USER\\") + key, QSettings::NativeFormat);
    user.setValue(QStringLiteral("Sub/Default"), QStringLiteral("default value"));
    const RegistryReader registry = RegistryReader::system();
    QCOMPARE(registry.value(Root::CurrentUser, key + QStringLiteral(R"(\Sub)"), QStringLiteral(""),
                            View::Native),
             QStringLiteral("default value"));
    QCOMPARE(registry.subkeys(Root::CurrentUser, key, View::Native),
             QStringList{QStringLiteral("Sub")});
    user.remove(QStringLiteral(""));

    QSettings machine32(QStringLiteral("HKEY_LOCAL_MACHINE\\") + key, QSettings::Registry32Format);
    machine32.setValue(QStringLiteral("Install Path"), QStringLiteral(R"(C:\RF32)"));
    machine32.sync();
    if (machine32.status() != QSettings::NoError)
        QSKIP("HKLM is not writable here");
    QCOMPARE(registry.value(Root::LocalMachine, key, QStringLiteral("Install Path"), View::Wow32),
             QStringLiteral(R"(C:\RF32)"));
    QCOMPARE(registry.value(Root::LocalMachine, key, QStringLiteral("Install Path"), View::Native),
             QStringLiteral(""));
    machine32.remove(QStringLiteral(""));
}
#endif

QTEST_GUILESS_MAIN(TestInstallLocations)
#include "tst_installlocations.moc"
