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
    QTest::newRow("plain") << QStringLiteral("/games/rf")
                           << QDir::toNativeSeparators(QStringLiteral("/games/rf/rf.exe"));
    QTest::newRow("trailing separator")
        << QStringLiteral("/games/rf/")
        << QDir::toNativeSeparators(QStringLiteral("/games/rf/rf.exe"));
    QTest::newRow("two trailing separators")
        << QStringLiteral("/games/rf//")
        << QDir::toNativeSeparators(QStringLiteral("/games/rf/rf.exe"));
    QTest::newRow("root") << QStringLiteral("/")
                          << QDir::toNativeSeparators(QStringLiteral("/rf.exe"));
#ifdef Q_OS_WIN
    QTest::newRow("drive root") << QStringLiteral("C:\\") << QStringLiteral("C:\\rf.exe");
    QTest::newRow("backslashes") << QStringLiteral("C:\\Games\\RF")
                                 << QStringLiteral("C:\\Games\\RF\\rf.exe");
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
    const QString rf = QStringLiteral("Rf.EXE"), dash = QStringLiteral("dashfactionLAUNCHER.exe"),
                  alpine = QStringLiteral("ALPINEFactionLauncher.EXE");
    QTest::newRow("none") << "readme.txt" << automatic << "";
    QTest::newRow("rf.exe") << rf << automatic << rf;
    QTest::newRow("Dash") << dash << automatic << dash;
    QTest::newRow("Alpine") << alpine << automatic << alpine;
    QTest::newRow("rf.exe, Dash") << rf + u' ' + dash << automatic << dash;
    QTest::newRow("rf.exe, Alpine") << rf + u' ' + alpine << automatic << alpine;
    QTest::newRow("Dash, Alpine") << dash + u' ' + alpine << automatic << alpine;
    const QString all = rf + u' ' + dash + u' ' + alpine;
    QTest::newRow("all three") << all << automatic << alpine;
    QTest::newRow("rf.exe chosen") << all << LauncherChoice::RedFaction << rf;
    QTest::newRow("Dash chosen, missing")
        << rf + u' ' + alpine << LauncherChoice::DashFaction << "";
    QTest::newRow("Alpine chosen, missing")
        << rf + u' ' + dash << LauncherChoice::AlpineFaction << "";
    const QString installed = QStringLiteral("installed/") + dash;
    QTest::newRow("Dash installed") << rf + u' ' + installed << automatic << installed;
    QTest::newRow("installed first") << dash + u' ' + installed << automatic << installed;
    QTest::newRow("Alpine in game folder first")
        << installed + u' ' + alpine << automatic << alpine;
    QTest::newRow("rf.exe from the game folder only") << "installed/rf.exe" << automatic << "";
}

void TestGameLauncher::findsProgram()
{
    QFETCH(QString, files);
    QFETCH(LauncherChoice, choice);
    QFETCH(QString, found);
    QTemporaryDir directory;
    QVERIFY(QDir(directory.path()).mkdir(QStringLiteral("installed")));
    for (const QString& file : files.split(u' '))
        createFile(directory.filePath(file));

    const auto program = GameLauncher::findProgram(
        directory.path() + u'/', choice, {directory.filePath(QStringLiteral("installed"))});
    QCOMPARE(program ? program->path : QStringLiteral(""),
             found.isEmpty() ? QStringLiteral("")
                             : QDir::toNativeSeparators(directory.filePath(found)));
}

void TestGameLauncher::launchesLauncherFromRegistryInGameFolder()
{
    QTemporaryDir game, installed;
    createFile(game.filePath(QStringLiteral("rf.exe")));
    createFile(installed.filePath(QStringLiteral("DashFactionLauncher.exe")));
    FakeRegistry registry;
    registry.set(RegistryReader::Root::LocalMachine,
                 QStringLiteral(R"(Software\Classes\rf\shell\open\command)"), QStringLiteral(""),
                 u'"' + installed.filePath(QStringLiteral("DashFactionLauncher.exe")) +
                     QStringLiteral("\" -url \"%1\""));
    Settings settings;
    settings.setValue(Settings::GameDirectory, QDir::toNativeSeparators(game.path()));
    Preferences preferences;
    ScriptedPrompts prompts;
    RecordingStarter starter;
    GameLauncher launcher(&settings, &preferences, &prompts, &starter);
    launcher.setRegistryReader(registry.reader());

    launcher.start({{QStringLiteral("127.0.0.1"), 7755}, false, {}, false});
    const QString program =
        QDir::toNativeSeparators(installed.filePath(QStringLiteral("DashFactionLauncher.exe")));
    QCOMPARE(starter.started.join(QStringLiteral("")),
             program + QStringLiteral(" -game -url rf://127.0.0.1:7755 in ") + game.path());
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
    const ServerEndpoint server{QStringLiteral("127.0.0.1"), 7755};
    const LaunchRequest click{server, false, {}, false}, locked{server, true, {}, false},
        link{server, false, {}, true};
    const QString dash = QStringLiteral("DashFactionLauncher.exe");
    const QString join =
        QStringLiteral("DIR/") + dash + QStringLiteral(" -game -url rf://127.0.0.1:7755");
    const QString s = QStringLiteral("Starting Red Faction..."), sr = s + QStringLiteral("; Ready");
    const QString sc =
        s + QStringLiteral("; 127.0.0.1:7755 copied: paste it into the game's join-by-address box");
    const QString offer = QStringLiteral("start; offer 127.0.0.1:7755"),
                  asked = QStringLiteral("start; password 127.0.0.1:7755");
    const QString linked = QStringLiteral("join 127.0.0.1:7755");

    row("Cancel", QStringLiteral("rf.exe"), click, false, {}, QStringLiteral("start"),
        QStringLiteral(""), QStringLiteral(""));
    row("rf.exe", QStringLiteral("rf.exe"), click, true, {}, offer, QStringLiteral("DIR/rf.exe"),
        sc);
    row("rf.exe asks no password", QStringLiteral("RF.EXE"), locked, true, {}, offer,
        QStringLiteral("DIR/RF.EXE"), sc);
    row("no game", QStringLiteral(""), click, true, {}, QStringLiteral("start; missing"),
        QStringLiteral(""), s);
    row("another file only", QStringLiteral("rf2.exe"), click, true, {},
        QStringLiteral("start; missing"), QStringLiteral(""), s);
    row("start fails", QStringLiteral("rf.exe"), click, true, {},
        QStringLiteral("start; failure no wine"), QStringLiteral("DIR/rf.exe"), sr,
        QStringLiteral("no wine"));
    row("launcher", dash, click, true, {}, QStringLiteral("start"), join, sr);
    row("password typed", dash, locked, true, QStringLiteral("a&b=c?d"), asked,
        join + QStringLiteral("?password=a&b=c?d"), sr);
    const QString longest(RfLink::maxPasswordLength, u'p');
    row("longest password", dash, locked, true, longest, asked,
        join + QStringLiteral("?password=") + longest, sr);
    row("password cancelled", dash, locked, true, std::nullopt, asked, QStringLiteral(""), sr);
    row("password too long", dash, locked, true, longest + u'p',
        asked + QStringLiteral("; unusable 1"), QStringLiteral(""), sr);
    const std::pair<const char*, QString> unusable[] = {{"quote", QStringLiteral("a\"b")},
                                                        {"backslash", QStringLiteral("a\\b")},
                                                        {"blank", QStringLiteral("a b")},
                                                        {"tab", QStringLiteral("a\tb")},
                                                        {"DEL", QStringLiteral("a\x7f")}};
    for (const auto& [name, password] : unusable)
        row(name, dash, locked, true, password, asked + QStringLiteral("; unusable 2"),
            QStringLiteral(""), sr);
    row("link", dash, link, true, {}, linked, join, sr);
    row("link cancelled", dash, link, false, {}, linked, QStringLiteral(""), QStringLiteral(""));
    row("link's password", dash, {server, true, QStringLiteral("pw"), true}, true, {}, linked,
        join + QStringLiteral("?password=pw"), sr);
    row("address unfit for a link", dash,
        {{QStringLiteral("a?password=x"), 7755}, false, {}, false}, true, {},
        QStringLiteral("start; failure the address a?password=x cannot be handed to the game"),
        QStringLiteral(""), sr);
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

    QCOMPARE(prompts.log.join(QStringLiteral("; ")), log);
    QCOMPARE(shown.join(QStringLiteral("; ")), statuses);
    const QString in =
        started.isEmpty() ? QStringLiteral("") : QStringLiteral(" in ") + game.path();
    QCOMPARE(starter.started.join(QStringLiteral("")),
             started.replace(QStringLiteral("DIR/"), QDir::toNativeSeparators(game.path() + u'/')) +
                 in);
}

#ifdef Q_OS_WIN
void TestGameLauncher::systemStarterRunsAsInvokerInFolder()
{
    QTemporaryDir game;
    const QString record = game.filePath(QStringLiteral("started.txt"));
    const QString cmd = QDir::toNativeSeparators(qEnvironmentVariable("ComSpec"));
    SystemProcessStarter starter;
    QString error;
    QVERIFY2(
        starter.startDetached(cmd,
                              {QStringLiteral("/c"),
                               QStringLiteral("cd>started.part&set __COMPAT_LAYER>>started.part&"
                                              "move started.part started.txt")},
                              game.path(), &error),
        qPrintable(error));

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
    QFile started(record);
    QVERIFY(started.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(QString::fromLocal8Bit(started.readAll()).split(u'\n', Qt::SkipEmptyParts),
             (QStringList{QDir::toNativeSeparators(game.path()),
                          QStringLiteral("__COMPAT_LAYER=RunAsInvoker")}));
}
#else
void TestGameLauncher::systemStarterRunsWineFromPath()
{
    // A stand-in for wine that writes down what it was asked to run.
    QTemporaryDir bin;
    const QString wine = bin.filePath(QStringLiteral("wine"));
    const QString record = bin.filePath(QStringLiteral("started.txt"));
    createFile(wine, "#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > \"" + record.toUtf8() +
                         ".part\"\n" + "mv \"" + record.toUtf8() + ".part\" \"" + record.toUtf8() +
                         "\"\n");
    QVERIFY(QFile::setPermissions(wine, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    ScopedEnvironment path("PATH", bin.path().toUtf8() + ":/usr/bin:/bin");

    SystemProcessStarter starter;
    QString error;
    QTemporaryDir gameDirectory;
    QVERIFY2(starter.startDetached(QStringLiteral("/games/rf/rf.exe"), {QStringLiteral("-game")},
                                   gameDirectory.path(), &error),
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
    QVERIFY(
        !starter.startDetached(QStringLiteral("/games/rf/rf.exe"), {}, emptyBin.path(), &error));
    QVERIFY2(error.contains(QStringLiteral("wine")), qPrintable(error));
}
#endif

QTEST_GUILESS_MAIN(TestGameLauncher)
#include "tst_gamelauncher.moc"
