#include "core/browser/gamelauncher.h"
#include "core/browser/systemprocessstarter.h"
#include "core/settings/preferences.h"
#include "core/settings/settings.h"
#include "fakeregistry.h"
#include "recordingstarter.h"
#include "scriptedprompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Sets an environment variable for as long as it lives.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : m_name(name), m_old(qgetenv(name)), m_wasSet(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        if (m_wasSet)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_wasSet;
};

void createFile(const QString& path, const QByteArray& content = {})
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

Q_DECLARE_METATYPE(std::optional<QString>)

class TestGameLauncher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void joinsWithOneSeparator_data();
    void joinsWithOneSeparator();
    void findsProgram_data();
    void findsProgram();
    void launchesLauncherFromRegistryInGameFolder();
    void launch_data();
    void launch();
#ifdef Q_OS_WIN
    void systemStarterRunsAsInvokerInFolder();
#else
    void systemStarterRunsWineFromPath();
    void systemStarterNeedsWine();
#endif
};

void TestGameLauncher::joinsWithOneSeparator_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("expected");
    const QString sep = QDir::separator();
    QTest::newRow("plain") << "/games/rf" << QDir::toNativeSeparators("/games/rf/rf.exe");
    QTest::newRow("trailing separator")
        << "/games/rf/" << QDir::toNativeSeparators("/games/rf/rf.exe");
    QTest::newRow("two trailing separators")
        << "/games/rf//" << QDir::toNativeSeparators("/games/rf/rf.exe");
    QTest::newRow("root") << "/" << QDir::toNativeSeparators("/rf.exe");
#ifdef Q_OS_WIN
    QTest::newRow("drive root") << "C:\\"
                                << "C:\\rf.exe";
    QTest::newRow("backslashes") << "C:\\Games\\RF"
                                 << "C:\\Games\\RF\\rf.exe";
#endif
}

void TestGameLauncher::joinsWithOneSeparator()
{
    QFETCH(QString, directory);
    QFETCH(QString, expected);
    QCOMPARE(GameLauncher::gameExecutablePath(directory), expected);
}

void TestGameLauncher::findsProgram_data()
{
    // in the game directory, a blank between; "installed/": in a launcher's
    // folder from the registry
    QTest::addColumn<QString>("files");
    QTest::addColumn<LauncherChoice>("choice");
    QTest::addColumn<QString>("found"); // empty: none

    const auto automatic = LauncherChoice::Automatic;
    const QString rf = "Rf.EXE", dash = "dashfactionLAUNCHER.exe",
                  alpine = "ALPINEFactionLauncher.EXE";
    QTest::newRow("none") << "readme.txt" << automatic << "";
    QTest::newRow("rf.exe") << rf << automatic << rf;
    QTest::newRow("Dash") << dash << automatic << dash;
    QTest::newRow("Alpine") << alpine << automatic << alpine;
    QTest::newRow("rf.exe, Dash") << rf + ' ' + dash << automatic << dash;
    QTest::newRow("rf.exe, Alpine") << rf + ' ' + alpine << automatic << alpine;
    QTest::newRow("Dash, Alpine") << dash + ' ' + alpine << automatic << alpine;
    const QString all = rf + ' ' + dash + ' ' + alpine;
    QTest::newRow("all three") << all << automatic << alpine;
    QTest::newRow("rf.exe chosen") << all << LauncherChoice::RedFaction << rf;
    QTest::newRow("Dash chosen, missing")
        << rf + ' ' + alpine << LauncherChoice::DashFaction << "";
    QTest::newRow("Alpine chosen, missing")
        << rf + ' ' + dash << LauncherChoice::AlpineFaction << "";
    const QString installed = "installed/" + dash;
    QTest::newRow("Dash installed") << rf + ' ' + installed << automatic << installed;
    QTest::newRow("installed first") << dash + ' ' + installed << automatic << installed;
    QTest::newRow("Alpine in game folder first") << installed + ' ' + alpine << automatic << alpine;
    QTest::newRow("rf.exe from the game folder only") << "installed/rf.exe" << automatic << "";
}

void TestGameLauncher::findsProgram()
{
    QFETCH(QString, files);
    QFETCH(LauncherChoice, choice);
    QFETCH(QString, found);
    QTemporaryDir directory;
    QVERIFY(QDir(directory.path()).mkdir("installed"));
    for (const QString& file : files.split(' '))
        createFile(directory.filePath(file));

    const auto program = GameLauncher::findProgram(directory.path() + '/', choice,
                                                   {directory.filePath("installed")});
    QCOMPARE(program ? program->path : "",
             found.isEmpty() ? "" : QDir::toNativeSeparators(directory.filePath(found)));
}

void TestGameLauncher::launchesLauncherFromRegistryInGameFolder()
{
    QTemporaryDir game, installed;
    createFile(game.filePath("rf.exe"));
    createFile(installed.filePath("DashFactionLauncher.exe"));
    FakeRegistry registry;
    registry.set(RegistryReader::Root::LocalMachine, R"(Software\Classes\rf\shell\open\command)",
                 "", '"' + installed.filePath("DashFactionLauncher.exe") + "\" -url \"%1\"");
    Settings settings;
    settings.setValue(Settings::GameDirectory, QDir::toNativeSeparators(game.path()));
    Preferences preferences;
    ScriptedPrompts prompts;
    RecordingStarter starter;
    GameLauncher launcher(&settings, &preferences, &prompts, &starter);
    launcher.setRegistryReader(registry.reader());

    launcher.start({{"127.0.0.1", 7755}, false, {}, false});
    const QString program = QDir::toNativeSeparators(installed.filePath("DashFactionLauncher.exe"));
    QCOMPARE(starter.started.join(""),
             program + " -game -url rf://127.0.0.1:7755 in " + game.path());
}

void TestGameLauncher::launch_data()
{
    QTest::addColumn<QString>("gameFile"); // empty: none
    QTest::addColumn<LaunchRequest>("request");
    QTest::addColumn<bool>("answerOk");
    QTest::addColumn<std::optional<QString>>("typed"); // the password; nothing: Cancel
    QTest::addColumn<QString>("failure");              // of the start; empty: none
    QTest::addColumn<QString>("log");                  // questions and notices, "; " between
    QTest::addColumn<QString>("started");              // DIR: the game directory; empty: none
    QTest::addColumn<QString>("statuses");             // "; " between

    const auto row = [](const char* name, const QString& file, const LaunchRequest& request,
                        bool ok, const std::optional<QString>& typed, const QString& log,
                        const QString& started, const QString& statuses,
                        const QString& failure = {}) {
        QTest::newRow(name) << file << request << ok << typed << failure << log << started
                            << statuses;
    };
    const ServerEndpoint server{"127.0.0.1", 7755};
    const LaunchRequest click{server, false, {}, false}, locked{server, true, {}, false},
        link{server, false, {}, true};
    const QString dash = "DashFactionLauncher.exe";
    const QString join = "DIR/" + dash + " -game -url rf://127.0.0.1:7755";
    const QString s = "Starting Red Faction...", sr = s + "; Ready";
    const QString sc = s + "; 127.0.0.1:7755 copied: paste it into the game's join-by-address box";
    const QString offer = "start; offer 127.0.0.1:7755", asked = "start; password 127.0.0.1:7755";
    const QString linked = "join 127.0.0.1:7755";

    row("Cancel", "rf.exe", click, false, {}, "start", "", "");
    row("rf.exe", "rf.exe", click, true, {}, offer, "DIR/rf.exe", sc);
    row("rf.exe asks no password", "RF.EXE", locked, true, {}, offer, "DIR/RF.EXE", sc);
    row("no game", "", click, true, {}, "start; missing", "", s);
    row("another file only", "rf2.exe", click, true, {}, "start; missing", "", s);
    row("start fails", "rf.exe", click, true, {}, "start; failure no wine", "DIR/rf.exe", sr,
        "no wine");
    row("launcher", dash, click, true, {}, "start", join, sr);
    row("password typed", dash, locked, true, "a&b=c?d", asked, join + "?password=a&b=c?d", sr);
    const QString longest(RfLink::maxPasswordLength, 'p');
    row("longest password", dash, locked, true, longest, asked, join + "?password=" + longest, sr);
    row("password cancelled", dash, locked, true, std::nullopt, asked, "", sr);
    row("password too long", dash, locked, true, longest + 'p', asked + "; unusable 1", "", sr);
    const std::pair<const char*, QString> unusable[] = {{"quote", "a\"b"},
                                                        {"backslash", "a\\b"},
                                                        {"blank", "a b"},
                                                        {"tab", "a\tb"},
                                                        {"DEL", "a\x7f"}};
    for (const auto& [name, password] : unusable)
        row(name, dash, locked, true, password, asked + "; unusable 2", "", sr);
    row("link", dash, link, true, {}, linked, join, sr);
    row("link cancelled", dash, link, false, {}, linked, "", "");
    row("link's password", dash, {server, true, "pw", true}, true, {}, linked,
        join + "?password=pw", sr);
    row("address unfit for a link", dash, {{"a?password=x", 7755}, false, {}, false}, true, {},
        "start; failure the address a?password=x cannot be handed to the game", "", sr);
}

void TestGameLauncher::launch()
{
    QFETCH(QString, gameFile);
    QFETCH(LaunchRequest, request);
    QFETCH(bool, answerOk);
    QFETCH(std::optional<QString>, typed);
    QFETCH(QString, failure);
    QFETCH(QString, log);
    QFETCH(QString, started);
    QFETCH(QString, statuses);

    QTemporaryDir game;
    if (!gameFile.isEmpty())
        createFile(game.filePath(gameFile));
    Settings settings;
    settings.setValue(Settings::GameDirectory, QDir::toNativeSeparators(game.path()));
    Preferences preferences;
    ScriptedPrompts prompts;
    prompts.answerOk = answerOk;
    prompts.password = typed;
    RecordingStarter starter;
    starter.failure = failure;
    GameLauncher launcher(&settings, &preferences, &prompts, &starter);
    QStringList shown;
    connect(&launcher, &GameLauncher::statusChanged, [&shown](const QString& s) { shown << s; });

    launcher.start(request);

    QCOMPARE(prompts.log.join("; "), log);
    QCOMPARE(shown.join("; "), statuses);
    const QString in = started.isEmpty() ? "" : " in " + game.path();
    QCOMPARE(starter.started.join(""),
             started.replace("DIR/", QDir::toNativeSeparators(game.path() + '/')) + in);
}

#ifdef Q_OS_WIN
void TestGameLauncher::systemStarterRunsAsInvokerInFolder()
{
    QTemporaryDir game;
    const QString record = game.filePath("started.txt");
    const QString cmd = QDir::toNativeSeparators(qEnvironmentVariable("ComSpec"));
    SystemProcessStarter starter;
    QString error;
    QVERIFY2(starter.startDetached(cmd,
                                   {"/c", "cd>started.part&set __COMPAT_LAYER>>started.part&"
                                          "move started.part started.txt"},
                                   game.path(), &error),
             qPrintable(error));

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
    QFile started(record);
    QVERIFY(started.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(QString::fromLocal8Bit(started.readAll()).split('\n', Qt::SkipEmptyParts),
             (QStringList{QDir::toNativeSeparators(game.path()), "__COMPAT_LAYER=RunAsInvoker"}));
}
#else
void TestGameLauncher::systemStarterRunsWineFromPath()
{
    // A stand-in for wine that writes down what it was asked to run.
    QTemporaryDir bin;
    const QString wine = bin.filePath("wine");
    const QString record = bin.filePath("started.txt");
    createFile(wine, "#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > \"" + record.toUtf8() +
                         ".part\"\n" + "mv \"" + record.toUtf8() + ".part\" \"" + record.toUtf8() +
                         "\"\n");
    QVERIFY(QFile::setPermissions(wine, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    ScopedEnvironment path("PATH", bin.path().toUtf8() + ":/usr/bin:/bin");

    SystemProcessStarter starter;
    QString error;
    QTemporaryDir gameDirectory;
    QVERIFY2(starter.startDetached("/games/rf/rf.exe", {"-game"}, gameDirectory.path(), &error),
             qPrintable(error));

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
    QFile started(record);
    QVERIFY(started.open(QIODevice::ReadOnly));
    QCOMPARE(started.readAll(), gameDirectory.path().toUtf8() + "\n/games/rf/rf.exe\n-game\n");
}

void TestGameLauncher::systemStarterNeedsWine()
{
    QTemporaryDir emptyBin;
    ScopedEnvironment path("PATH", emptyBin.path().toUtf8());

    SystemProcessStarter starter;
    QString error;
    QVERIFY(!starter.startDetached("/games/rf/rf.exe", {}, emptyBin.path(), &error));
    QVERIFY2(error.contains("wine"), qPrintable(error));
}
#endif

QTEST_GUILESS_MAIN(TestGameLauncher)
#include "tst_gamelauncher.moc"
