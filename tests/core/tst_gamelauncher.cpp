#include "core/browser/gamelauncher.h"
#include "core/browser/systemprocessstarter.h"
#include "core/settings/settings.h"
#include "recordingstarter.h"
#include "scriptedprompts.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// Cases name only the fields they set (GCC before 13 warns about the others).
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

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

// A start of the game and what it must lead to.
struct LaunchCase
{
    QString gameFile = "rf.exe"; // created in the game directory; empty: none
    Preferences::Launcher choice = Preferences::Launcher::Automatic;
    bool answerOk = true;
    bool trailingSeparator = false;
    LaunchRequest request = {{"127.0.0.1", 7755}};
    std::optional<QString> typed; // into the password dialog; nothing: Cancel
    QString startFailure;
    QStringList log;                      // questions and notices
    std::optional<QStringList> arguments; // of the one start; nothing: none
    QStringList statuses;
};

} // namespace

Q_DECLARE_METATYPE(LaunchCase)

class TestGameLauncher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void joinsWithOneSeparator_data();
    void joinsWithOneSeparator();
    void findsProgram_data();
    void findsProgram();
    void launch_data();
    void launch();
#ifndef Q_OS_WIN
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
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<Preferences::Launcher>("choice");
    QTest::addColumn<QString>("expected"); // empty: none

    const auto automatic = Preferences::Launcher::Automatic;
    const QString rf = "Rf.EXE", dash = "dashfactionLAUNCHER.exe",
                  alpine = "ALPINEFactionLauncher.EXE";
    QTest::newRow("none") << QStringList{"readme.txt"} << automatic << "";
    QTest::newRow("rf.exe") << QStringList{rf} << automatic << rf;
    QTest::newRow("Dash") << QStringList{dash} << automatic << dash;
    QTest::newRow("Alpine") << QStringList{alpine} << automatic << alpine;
    QTest::newRow("rf.exe, Dash") << QStringList{rf, dash} << automatic << dash;
    QTest::newRow("rf.exe, Alpine") << QStringList{rf, alpine} << automatic << alpine;
    QTest::newRow("Dash, Alpine") << QStringList{dash, alpine} << automatic << alpine;
    QTest::newRow("all three") << QStringList{rf, dash, alpine} << automatic << alpine;
    QTest::newRow("chosen rf.exe")
        << QStringList{rf, dash, alpine} << Preferences::Launcher::RedFaction << rf;
    QTest::newRow("chosen Dash") << QStringList{rf, dash, alpine}
                                 << Preferences::Launcher::DashFaction << dash;
    QTest::newRow("chosen Dash, missing")
        << QStringList{rf, alpine} << Preferences::Launcher::DashFaction << "";
    QTest::newRow("chosen Alpine, missing")
        << QStringList{rf, dash} << Preferences::Launcher::AlpineFaction << "";
}

void TestGameLauncher::findsProgram()
{
    QFETCH(QStringList, files);
    QFETCH(Preferences::Launcher, choice);
    QFETCH(QString, expected);
    QTemporaryDir directory;
    for (const QString& file : files)
        createFile(directory.filePath(file));
    // A folder with a program's name is no program.
    QVERIFY(QDir(directory.path()).mkdir("DashFactionLauncher.exe.d"));

    const std::optional<GameLauncher::Program> found =
        GameLauncher::findProgram(directory.path(), choice);
    QCOMPARE(found ? found->path : QString(),
             expected.isEmpty() ? QString()
                                : QDir::toNativeSeparators(directory.filePath(expected)));
}

void TestGameLauncher::launch_data()
{
    QTest::addColumn<LaunchCase>("c");
    const QString starting = "Starting Red Faction...", ready = "Ready";
    const QString copied = "127.0.0.1:7755 copied: paste it into the game's join-by-address box";
    const ServerEndpoint server{"127.0.0.1", 7755};
    const LaunchRequest locked{server, true, {}, false}, link{server, false, {}, true};
    const QString dash = "DashFactionLauncher.exe";
    const auto url = [](const QString& query = {}) {
        return QStringList{"-game", "-url", "rf://127.0.0.1:7755" + query};
    };
    const QStringList asked{"start", "password 127.0.0.1:7755"};

    QTest::newRow("Cancel") << LaunchCase{.answerOk = false, .log = {"start"}};
    QTest::newRow("rf.exe") << LaunchCase{.log = {"start", "offer 127.0.0.1:7755"},
                                          .arguments = QStringList{},
                                          .statuses = {starting, copied}};
    QTest::newRow("rf.exe, directory ends in a separator")
        << LaunchCase{.trailingSeparator = true,
                      .log = {"start", "offer 127.0.0.1:7755"},
                      .arguments = QStringList{},
                      .statuses = {starting, copied}};
    QTest::newRow("rf.exe asks no password") << LaunchCase{.request = locked,
                                                           .log = {"start", "offer 127.0.0.1:7755"},
                                                           .arguments = QStringList{},
                                                           .statuses = {starting, copied}};
    QTest::newRow("no game") << LaunchCase{
        .gameFile = "", .log = {"start", "missing"}, .statuses = {starting}};
    QTest::newRow("another file only")
        << LaunchCase{.gameFile = "rf2.exe", .log = {"start", "missing"}, .statuses = {starting}};
    QTest::newRow("chosen launcher missing")
        << LaunchCase{.choice = Preferences::Launcher::DashFaction,
                      .log = {"start", "missing"},
                      .statuses = {starting}};
    QTest::newRow("start fails") << LaunchCase{.startFailure = "wine was not found",
                                               .log = {"start", "failure wine was not found"},
                                               .arguments = QStringList{},
                                               .statuses = {starting, ready}};
    QTest::newRow("launcher") << LaunchCase{
        .gameFile = dash, .log = {"start"}, .arguments = url(), .statuses = {starting, ready}};
    QTest::newRow("launcher, password typed") << LaunchCase{.gameFile = dash,
                                                            .request = locked,
                                                            .typed = "a&b=c?d",
                                                            .log = asked,
                                                            .arguments = url("?password=a&b=c?d"),
                                                            .statuses = {starting, ready}};
    QTest::newRow("launcher, password of 22 characters")
        << LaunchCase{.gameFile = dash,
                      .request = locked,
                      .typed = QString(22, 'p'),
                      .log = asked,
                      .arguments = url("?password=" + QString(22, 'p')),
                      .statuses = {starting, ready}};
    QTest::newRow("launcher, password cancelled") << LaunchCase{
        .gameFile = dash, .request = locked, .log = asked, .statuses = {starting, ready}};
    const std::pair<const char*, QString> refused[] = {{"23 characters", QString(23, 'p')},
                                                       {"quote", "a\"b"},
                                                       {"backslash", "a\\b"},
                                                       {"blank", "a b"},
                                                       {"tab", "a\tb"},
                                                       {"DEL", "a\x7f"}};
    for (const auto& [name, password] : refused) {
        const int problem = int(password.size() > RfLink::maxPasswordLength
                                    ? RfLink::PasswordProblem::TooLong
                                    : RfLink::PasswordProblem::BadCharacter);
        QTest::addRow("launcher, password refused: %s", name)
            << LaunchCase{.gameFile = dash,
                          .request = locked,
                          .typed = password,
                          .log = asked + QStringList{QString("unusable %1").arg(problem)},
                          .statuses = {starting, ready}};
    }
    QTest::newRow("link") << LaunchCase{.gameFile = dash,
                                        .request = link,
                                        .log = {"join 127.0.0.1:7755"},
                                        .arguments = url(),
                                        .statuses = {starting, ready}};
    QTest::newRow("link cancelled") << LaunchCase{
        .gameFile = dash, .answerOk = false, .request = link, .log = {"join 127.0.0.1:7755"}};
    QTest::newRow("link with the password of a password server")
        << LaunchCase{.gameFile = dash,
                      .request = {server, true, "pw", true},
                      .log = {"join 127.0.0.1:7755"},
                      .arguments = url("?password=pw"),
                      .statuses = {starting, ready}};
    QTest::newRow("address unfit for a link") << LaunchCase{
        .gameFile = dash,
        .request = {{"a?password=x", 7755}},
        .log = {"start", "failure the address a?password=x cannot be handed to the game"},
        .statuses = {starting, ready}};
}

void TestGameLauncher::launch()
{
    QFETCH(LaunchCase, c);
    QTemporaryDir gameDirectory;
    if (!c.gameFile.isEmpty())
        createFile(gameDirectory.filePath(c.gameFile));
    Settings settings;
    settings.setValue(Settings::GameDirectory,
                      QDir::toNativeSeparators(gameDirectory.path()) +
                          (c.trailingSeparator ? QString(QDir::separator()) : ""));
    Preferences preferences;
    preferences.setLauncher(c.choice);
    ScriptedPrompts prompts;
    prompts.answerOk = c.answerOk;
    prompts.password = c.typed;
    RecordingStarter starter;
    starter.failure = c.startFailure;
    GameLauncher launcher(&settings, &preferences, &prompts, &starter);
    QSignalSpy statuses(&launcher, &GameLauncher::statusChanged);

    launcher.start(c.request);

    QCOMPARE(prompts.log, c.log);
    QStringList shown;
    for (const QList<QVariant>& status : std::as_const(statuses))
        shown << status.first().toString();
    QCOMPARE(shown, c.statuses);
    QList<RecordingStarter::Start> expected;
    if (c.arguments) {
        const QString program = QDir::toNativeSeparators(gameDirectory.filePath(c.gameFile));
        expected.append({program, *c.arguments, gameDirectory.path()});
    }
    QCOMPARE(starter.started, expected);
}

#ifndef Q_OS_WIN
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
