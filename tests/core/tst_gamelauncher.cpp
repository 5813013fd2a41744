#include "core/browser/gamelauncher.h"
#include "core/browser/launchprompts.h"
#include "core/browser/processstarter.h"
#include "core/browser/systemprocessstarter.h"
#include "core/settings/settings.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

class ScriptedPrompts : public LaunchPrompts
{
public:
    bool confirmStart() override
    {
        ++confirmations;
        return answerOk;
    }
    void reportMissingDirectory() override { ++missingDirectoryReports; }
    void reportStartFailure(const QString& why) override { startFailures << why; }

    bool answerOk = true;
    int confirmations = 0;
    int missingDirectoryReports = 0;
    QStringList startFailures;
};

class RecordingStarter : public ProcessStarter
{
public:
    bool startDetached(const QString& program, const QStringList& arguments,
                       QString* error) override
    {
        programs << program;
        argumentLists << arguments;
        if (!failure.isEmpty())
            *error = failure;
        return failure.isEmpty();
    }

    QString failure; // empty: starting succeeds
    QStringList programs;
    QList<QStringList> argumentLists;
};

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

class TestGameLauncher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void joinsWithOneSeparator_data();
    void joinsWithOneSeparator();
    void rowClick_data();
    void rowClick();
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

void TestGameLauncher::rowClick_data()
{
    QTest::addColumn<bool>("answerOk");
    QTest::addColumn<QString>("gameFile"); // created in the game directory; empty: none
    QTest::addColumn<bool>("trailingSeparator");
    QTest::addColumn<QString>("startFailure"); // empty: the start succeeds
    QTest::addColumn<QStringList>("expectedStatuses");
    QTest::addColumn<bool>("expectStart");
    QTest::addColumn<int>("expectedMissingReports");

    const QString starting = "Starting Red Faction...";
    QTest::newRow("Cancel") << false << "rf.exe" << false << "" << QStringList{} << false << 0;
    QTest::newRow("OK, game there")
        << true << "rf.exe" << false << "" << QStringList{starting, "Ready"} << true << 0;
    QTest::newRow("OK, directory ends in a separator")
        << true << "rf.exe" << true << "" << QStringList{starting, "Ready"} << true << 0;
    QTest::newRow("OK, no game") << true << "" << false << "" << QStringList{starting} << false
                                 << 1;
    QTest::newRow("OK, another file only")
        << true << "rf2.exe" << false << "" << QStringList{starting} << false << 1;
    QTest::newRow("OK, start fails") << true << "rf.exe" << false << "wine was not found"
                                     << QStringList{starting, "Ready"} << true << 0;
}

void TestGameLauncher::rowClick()
{
    QFETCH(bool, answerOk);
    QFETCH(QString, gameFile);
    QFETCH(bool, trailingSeparator);
    QFETCH(QString, startFailure);
    QFETCH(QStringList, expectedStatuses);
    QFETCH(bool, expectStart);
    QFETCH(int, expectedMissingReports);

    QTemporaryDir gameDirectory;
    if (!gameFile.isEmpty())
        createFile(gameDirectory.filePath(gameFile));
    Settings settings;
    settings.setValue(Settings::GameDirectory, QDir::toNativeSeparators(gameDirectory.path()) +
                                           (trailingSeparator ? QString(QDir::separator()) : ""));
    ScriptedPrompts prompts;
    prompts.answerOk = answerOk;
    RecordingStarter starter;
    starter.failure = startFailure;
    GameLauncher launcher(&settings, &prompts, &starter);
    QSignalSpy statuses(&launcher, &GameLauncher::statusChanged);

    launcher.launch();

    QCOMPARE(prompts.confirmations, 1);
    QStringList shown;
    for (const QList<QVariant>& status : std::as_const(statuses))
        shown << status.first().toString();
    QCOMPARE(shown, expectedStatuses);
    QCOMPARE(prompts.missingDirectoryReports, expectedMissingReports);
    if (expectStart) {
        const QString game = QDir::toNativeSeparators(gameDirectory.path() + "/rf.exe");
        QCOMPARE(starter.programs, QStringList{game});
        QCOMPARE(starter.argumentLists, QList<QStringList>{QStringList{}});
    } else {
        QVERIFY(starter.programs.isEmpty());
    }
    QCOMPARE(prompts.startFailures,
             startFailure.isEmpty() ? QStringList{} : QStringList{startFailure});
}

#ifndef Q_OS_WIN
void TestGameLauncher::systemStarterRunsWineFromPath()
{
    // A stand-in for wine that writes down what it was asked to run.
    QTemporaryDir bin;
    const QString wine = bin.filePath("wine");
    const QString record = bin.filePath("started.txt");
    createFile(wine, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + record.toUtf8() + ".part\"\n" +
                         "mv \"" + record.toUtf8() + ".part\" \"" + record.toUtf8() + "\"\n");
    QVERIFY(QFile::setPermissions(wine, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    ScopedEnvironment path("PATH", bin.path().toUtf8() + ":/usr/bin:/bin");

    SystemProcessStarter starter;
    QString error;
    QVERIFY2(starter.startDetached("/games/rf/rf.exe", {}, &error), qPrintable(error));

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
    QFile started(record);
    QVERIFY(started.open(QIODevice::ReadOnly));
    QCOMPARE(started.readAll(), QByteArray("/games/rf/rf.exe\n"));
}

void TestGameLauncher::systemStarterNeedsWine()
{
    QTemporaryDir emptyBin;
    ScopedEnvironment path("PATH", emptyBin.path().toUtf8());

    SystemProcessStarter starter;
    QString error;
    QVERIFY(!starter.startDetached("/games/rf/rf.exe", {}, &error));
    QVERIFY2(error.contains("wine"), qPrintable(error));
}
#endif

QTEST_GUILESS_MAIN(TestGameLauncher)
#include "tst_gamelauncher.moc"
