#include "core/settings/settings.h"
#include "fakeregistry.h"
#include "tempdatafolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Twelve lines in file order; `replacements` puts other text on some lines.
QByteArray settingsFileText(const QMap<int, QByteArray>& replacements, int lineCount = 12)
{
    const QByteArray lines[] = {
        "20000", "20001",   "@DIR@", "master.example.org", "18445", "irc.example.org", "6668",
        "10003", "Someone", "Nick",  "a@example.org",      "#room"};
    QByteArray text;
    for (int line = 0; line < lineCount; ++line)
        text += replacements.value(line, lines[line]) + "\r\n";
    return text;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTripKeepsValue_data();
    void roundTripKeepsValue();
    void savedFileHasOneCrLfLinePerValue();
    void loadReadsOldFiles_data();
    void loadReadsOldFiles();
    void loadWithoutFileChangesNothing();
    void loadFillsMissingGameDirectoryFromRegistry_data();
    void loadFillsMissingGameDirectoryFromRegistry();
    void saveCreatesMissingFolder();
    void saveFailureGivesReasonAndKeepsWhatWasThere_data();
    void saveFailureGivesReasonAndKeepsWhatWasThere();

private:
    TempDataFolder m_data;
};

void TestSettings::roundTripKeepsValue_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("comma in user name") << int(Settings::IrcUserName) << QStringLiteral("Smith, John");
    QTest::newRow("leading blanks")
        << int(Settings::MasterHost) << QStringLiteral("   master.example.org");
    QTest::newRow("trailing blank") << int(Settings::IrcNickname) << QStringLiteral("Default ");
    QTest::newRow("quote inside") << int(Settings::IrcChannel) << QStringLiteral("#say\"hi");
    QTest::newRow("starts with a quote")
        << int(Settings::IrcEmail) << QStringLiteral("\"me@example.org");
    QTest::newRow("first value begins with a byte order mark")
        << int(Settings::MasterLocalPort) << QStringLiteral("\uFEFF10000");
    QTest::newRow("wrapped in quotes") << int(Settings::IrcChannel) << QStringLiteral("\"#quoted\"");
    QTest::newRow("non-Latin-1 text") << int(Settings::IrcUserName) << QStringLiteral("Jörg Ωmega");
    QTest::newRow("empty") << int(Settings::IrcEmail) << QString();
    QTest::newRow("directory with comma and blanks")
        << int(Settings::GameDirectory) << QStringLiteral("@TMP@/Red Faction, GOTY ");
}

void TestSettings::roundTripKeepsValue()
{
    QFETCH(int, key);
    QFETCH(QString, value);
    value.replace(QStringLiteral("@TMP@"), m_data.path());
    if (key == Settings::GameDirectory)
        QVERIFY(QDir().mkpath(value));

    Settings saved;
    saved.setValue(Settings::Key(key), value);
    QCOMPARE(saved.save(m_data.settingsFile()), QString());

    Settings loaded;
    loaded.setValue(Settings::GameDirectory, QDir::rootPath()); // so the loaded one must come from the file
    loaded.load(m_data.settingsFile());
    // Every value, not only the edited one: a value that split in two would
    // shift all later ones.
    for (int other = 0; other < Settings::keyCount; ++other)
        QCOMPARE(loaded.value(Settings::Key(other)), saved.value(Settings::Key(other)));
}

void TestSettings::savedFileHasOneCrLfLinePerValue()
{
    Settings settings;
    settings.setValue(Settings::GameDirectory, m_data.path());
    settings.setValue(Settings::IrcUserName, QStringLiteral("Jörg"));
    QCOMPARE(settings.save(m_data.settingsFile()), QString());

    const QByteArray expected = "10000\r\n10001\r\n" + m_data.path().toUtf8() +
                                "\r\n"
                                "rfgt.factionfiles.com\r\n18444\r\nirc.libera.chat\r\n6667\r\n"
                                "10002\r\nJ\xc3\xb6rg\r\nDefault \r\nplayer@example.com\r\n"
                                "#VNH_Lounge\r\n";
    QCOMPARE(readBytes(m_data.settingsFile()), expected);
}

void TestSettings::loadReadsOldFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("all twelve") << settingsFileText({}) << int(Settings::IrcChannel)
                                << QStringLiteral("#room");
    QTest::newRow("quoted line loses its quotes")
        << settingsFileText({{11, "\"#quoted room\""}}) << int(Settings::IrcChannel)
        << QStringLiteral("#quoted room");
    QTest::newRow("LF line ends") << settingsFileText({}).replace("\r\n", "\n")
                                  << int(Settings::MasterHost)
                                  << QStringLiteral("master.example.org");
    QTest::newRow("last line without line end")
        << settingsFileText({}).chopped(2) << int(Settings::IrcChannel) << QStringLiteral("#room");
    QTest::newRow("two lines: second is read")
        << settingsFileText({}, 2) << int(Settings::QueryLocalPort) << QStringLiteral("20001");
    QTest::newRow("two lines: third keeps its text")
        << settingsFileText({}, 2) << int(Settings::MasterPort) << QStringLiteral("18444");
    QTest::newRow("byte order mark of an editor") << "\xef\xbb\xbf" + settingsFileText({})
                                                  << int(Settings::MasterLocalPort)
                                                  << QStringLiteral("20000");
    QTest::newRow("empty file") << QByteArray() << int(Settings::MasterLocalPort)
                                << QStringLiteral("10000");
    QTest::newRow("existing game directory")
        << settingsFileText({}) << int(Settings::GameDirectory) << QStringLiteral("@DIR@");
    QTest::newRow("game directory gone") << settingsFileText({{2, "/no/such/varnholt/dir"}})
                                         << int(Settings::GameDirectory) << QStringLiteral("@CURRENT@");
    QTest::newRow("UTF-8") << settingsFileText({{8, "J\xc3\xb6rg \xce\xa9"}})
                           << int(Settings::IrcUserName) << QStringLiteral("Jörg Ω");
    QTest::newRow("Latin-1") << settingsFileText({{8, "J\xf6rg"}}) << int(Settings::IrcUserName)
                             << QStringLiteral("Jörg");
    QTest::newRow("long nickname cut to nine")
        << settingsFileText({{9, "ABCDEFGHIJKL"}}) << int(Settings::IrcNickname)
        << QStringLiteral("ABCDEFGHI");
}

void TestSettings::loadReadsOldFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(int, key);
    QFETCH(QString, expected);

    const QString gameDir = QDir(m_data.path()).filePath(QStringLiteral("game"));
    const QString currentDir = QDir(m_data.path()).filePath(QStringLiteral("current"));
    QVERIFY(QDir().mkpath(gameDir));
    QVERIFY(QDir().mkpath(currentDir));
    file.replace("@DIR@", gameDir.toUtf8());
    expected.replace(QStringLiteral("@DIR@"), gameDir);
    expected.replace(QStringLiteral("@CURRENT@"), currentDir);
    QVERIFY(writeBytes(m_data.settingsFile(), file));

    Settings settings;
    settings.setValue(Settings::GameDirectory, currentDir);
    settings.load(m_data.settingsFile());
    QCOMPARE(settings.value(Settings::Key(key)), expected);
}

void TestSettings::loadWithoutFileChangesNothing()
{
    Settings settings;
    settings.setValue(Settings::IrcChannel, QStringLiteral("#mine"));
    QSignalSpy changes(&settings, &Settings::changed);
    settings.load(QDir(m_data.path()).filePath(QStringLiteral("missing.txt")));
    QCOMPARE(changes.count(), 0);
    QCOMPARE(settings.value(Settings::IrcChannel), QStringLiteral("#mine"));
}

void TestSettings::loadFillsMissingGameDirectoryFromRegistry_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: none
    QTest::addColumn<bool>("kept");       // the file's folder stays
    QTest::newRow("no file") << QByteArray() << false;
    QTest::newRow("folder gone") << settingsFileText({{2, "/no/such/dir"}}) << false;
    QTest::newRow("the player's folder") << settingsFileText({}) << true;
}

void TestSettings::loadFillsMissingGameDirectoryFromRegistry()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, kept);
    const QString installed = QDir(m_data.path()).filePath(QStringLiteral("installed"));
    QVERIFY(QDir().mkpath(installed));
    QFile::remove(m_data.settingsFile());
    QVERIFY(file.isEmpty() ||
            writeBytes(m_data.settingsFile(), file.replace("@DIR@", m_data.path().toUtf8())));
    FakeRegistry registry;
    registry.set(RegistryReader::Root::LocalMachine,
                 QStringLiteral(R"(SOFTWARE\Volition\Red Faction)"), QStringLiteral("InstallPath"),
                 installed, RegistryReader::View::Wow32);
    Settings settings;
    settings.load(m_data.settingsFile(), registry.reader());
    QCOMPARE(settings.value(Settings::GameDirectory), kept ? m_data.path() : installed);
}

void TestSettings::saveCreatesMissingFolder()
{
    const QString path = m_data.path() + QStringLiteral("/new/deeper/vnhsettings.txt");
    Settings settings;
    settings.setValue(Settings::IrcChannel, QStringLiteral("#made"));
    QCOMPARE(settings.save(path), QString());

    Settings loaded;
    loaded.load(path);
    QCOMPARE(loaded.value(Settings::IrcChannel), QStringLiteral("#made"));
}

void TestSettings::saveFailureGivesReasonAndKeepsWhatWasThere_data()
{
    // Both fail for root too, unlike permission bits.
    QTest::addColumn<QString>("blocker");
    QTest::addColumn<QString>("target");
    QTest::newRow("target is a directory")
        << QStringLiteral("vnhsettings.txt") << QStringLiteral("vnhsettings.txt");
    QTest::newRow("folder is a file")
        << QStringLiteral("varnholt") << QStringLiteral("varnholt/vnhsettings.txt");
}

void TestSettings::saveFailureGivesReasonAndKeepsWhatWasThere()
{
    QFETCH(QString, blocker);
    QFETCH(QString, target);
    QTemporaryDir dir;
    const QString blockerPath = dir.filePath(blocker);
    const QByteArray oldContent = "old settings\r\n";
    if (blocker == target) {
        QVERIFY(QDir().mkpath(blockerPath));
        QVERIFY(writeBytes(blockerPath + QStringLiteral("/keep.txt"), oldContent));
    } else {
        QVERIFY(writeBytes(blockerPath, oldContent));
    }

    Settings settings;
    const QString reason = settings.save(dir.filePath(target));
    QVERIFY2(!reason.trimmed().isEmpty(), "a failed save must say why");

    if (blocker == target)
        QCOMPARE(readBytes(blockerPath + QStringLiteral("/keep.txt")), oldContent);
    else
        QCOMPARE(readBytes(blockerPath), oldContent);
    // No half-written leftovers next to it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{blocker});
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
