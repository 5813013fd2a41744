#include "core/platform/datapaths.h"
#include "core/settings/settings.h"
#include "gui/optionsdialog.h"
#include "layoutcheck.h"
#include "tempdatafolder.h"

#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

using KeyTexts = QMap<int, QString>;

struct Message
{
    QMessageBox::Icon icon;
    QString text;
};

// As a real mouse does it: click, then the second press arrives as a double
// click. (QTest::mouseDClick leaves out the first release, and item views
// then ignore the double click.)
void doubleClick(QWidget* widget, QPoint position)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, position);
    QMouseEvent event(QEvent::MouseButtonDblClick, position, widget->mapToGlobal(position),
                      Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &event);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, position);
}

QString editedText(Settings::Key key)
{
    return QStringLiteral("e%1").arg(int(key));
}

} // namespace

class TestOptionsDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void windowHasItsCaptionAndSize();
    void layoutHolds();
    void fieldsShowTheSettings();
    void typingChangesTheSettingAtOnce_data();
    void typingChangesTheSettingAtOnce();
    void nicknameFieldHoldsNineCharacters();
    void settingChangedElsewhereShowsInField();
    void loadedGameDirectoryOpensInTree();
    void doubleClickOpensDirectory();
    void defaultsResetTheirGroupOnly_data();
    void defaultsResetTheirGroupOnly();
    void saveReports_data();
    void saveReports();
    void closeHidesAndKeepsFields();

private:
    template <typename T> T* child(const QString& name) const
    {
        return m_dialog->findChild<T*>(name);
    }

    std::unique_ptr<TempDataFolder> m_data;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<OptionsDialog> m_dialog;
    QList<Message> m_messages;
};

void TestOptionsDialog::init()
{
    m_data = std::make_unique<TempDataFolder>();
    m_settings = std::make_unique<Settings>();
    m_preferences = std::make_unique<Preferences>();
    m_dialog = std::make_unique<OptionsDialog>(m_settings.get(), m_preferences.get());
    m_messages.clear();
    m_dialog->setMessageHandler([this](QMessageBox::Icon icon, const QString& text) {
        m_messages.append({icon, text});
    });
}

void TestOptionsDialog::cleanup()
{
    m_dialog.reset();
    m_preferences.reset();
    m_settings.reset();
    m_data.reset();
}

void TestOptionsDialog::windowHasItsCaptionAndSize()
{
    QCOMPARE(m_dialog->objectName(), QStringLiteral("frmoptions"));
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Options"));
    QVERIFY(m_dialog->isWindow());
    QCOMPARE(m_dialog->size(), QSize(777, 322)); // 11655 x 4830 twips
}

void TestOptionsDialog::layoutHolds()
{
    VERIFY_NO_FAULTS(LayoutCheck::faults(m_dialog.get()));
    VERIFY_NO_FAULTS(LayoutCheck::missing(m_dialog.get(),
                                          {{"txtrfmport", nullptr, "Red Faction Options"},
                                           {"framaster", "txtrfmport", "Red Faction Master Server"},
                                           {"lbltxtrfmserv", "framaster", "IP:"},
                                           {"txtrfmserv", "framaster"},
                                           {"lbltxtrfmprt", "framaster", "Port:"},
                                           {"txtrfmprt", "framaster"},
                                           {"fradir", "txtrfmport", "Red Faction Directory"},
                                           {"rfdir", "fradir"},
                                           {"fraports", "txtrfmport", "Browser Local Ports"},
                                           {"lblrflprt1", "fraports", "Port 1:"},
                                           {"rflprt1", "fraports"},
                                           {"lblrflprt2", "fraports", "Port 2:"},
                                           {"rflprt2", "fraports"},
                                           {"btnrfdefault", "txtrfmport", "Defaults"},
                                           {"linesep", "txtrfmport"},
                                           {"frairc", "txtrfmport", "IRC Options"},
                                           {"lblircserv", "frairc", "Server:"},
                                           {"ircserv", "frairc"},
                                           {"lblircprt", "frairc", "Port:"},
                                           {"ircprt", "frairc"},
                                           {"lblirclprt", "frairc", "Local Port:"},
                                           {"irclprt", "frairc"},
                                           {"lblircname", "frairc", "Username:"},
                                           {"ircname", "frairc"},
                                           {"lblircmail", "frairc", "Email:"},
                                           {"ircmail", "frairc"},
                                           {"lblircnick", "frairc", "Nickname:"},
                                           {"ircnick", "frairc"},
                                           {"lblircroom", "frairc", "Room:"},
                                           {"ircroom", "frairc"},
                                           {"btnircdefault", "txtrfmport", "Defaults"},
                                           {"btnsave", "txtrfmport", "Save"},
                                           {"btncoptclose", "txtrfmport", "Close"},
                                           {"framore", nullptr, "More Options"},
                                           {"lbllauncher", "framore"},
                                           {"cbolauncher", "framore"},
                                           {"chkparallel", "framore"},
                                           {"chkshowsilent", "framore"},
                                           {"chkhideempty", "framore"},
                                           {"chkhidefull", "framore"},
                                           {"chkhidepassword", "framore"},
                                           {"fraircmore", "framore", "IRC Connection"},
                                           {"chkirctls", "fraircmore"},
                                           {"chkircreconnect", "fraircmore"},
                                           {"chklinks", "framore"},
                                           {"lbllinks", "framore"}}));
}

void TestOptionsDialog::fieldsShowTheSettings()
{
    for (int key = 0; key < Settings::keyCount; ++key) {
        if (key == Settings::GameDirectory)
            continue;
        QCOMPARE(child<QLineEdit>(OptionsDialog::fieldName(Settings::Key(key)))->text(),
                 Settings::initialText(Settings::Key(key)));
    }
    const auto* tree = child<QTreeView>(QStringLiteral("rfdir"));
    const auto* model = qobject_cast<const QFileSystemModel*>(tree->model());
    QCOMPARE(model->filePath(tree->currentIndex()), QDir::currentPath());
}

void TestOptionsDialog::typingChangesTheSettingAtOnce_data()
{
    QTest::addColumn<int>("key");
    for (int key = 0; key < Settings::keyCount; ++key) {
        if (key != Settings::GameDirectory)
            QTest::newRow(qPrintable(OptionsDialog::fieldName(Settings::Key(key)))) << key;
    }
}

void TestOptionsDialog::typingChangesTheSettingAtOnce()
{
    QFETCH(int, key);
    auto* field = child<QLineEdit>(OptionsDialog::fieldName(Settings::Key(key)));
    QSignalSpy changes(m_settings.get(), &Settings::changed);

    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(m_settings->value(Settings::Key(key)), QString());
    QTest::keyClicks(field, QStringLiteral("ab,c"));
    QCOMPARE(m_settings->value(Settings::Key(key)), QStringLiteral("ab,c"));
    QCOMPARE(field->text(), QStringLiteral("ab,c"));
    QCOMPARE(changes.count(), 5); // one per key press, none echoed back
}

void TestOptionsDialog::nicknameFieldHoldsNineCharacters()
{
    auto* field = child<QLineEdit>(QStringLiteral("ircnick"));
    QCOMPARE(field->maxLength(), 9);
    field->clear();
    QTest::keyClicks(field, QStringLiteral("ABCDEFGHIJKL"));
    QCOMPARE(field->text(), QStringLiteral("ABCDEFGHI"));
    QCOMPARE(m_settings->value(Settings::IrcNickname), QStringLiteral("ABCDEFGHI"));
}

void TestOptionsDialog::settingChangedElsewhereShowsInField()
{
    auto* field = child<QLineEdit>(QStringLiteral("ircroom"));
    QSignalSpy edits(field, &QLineEdit::textEdited);
    QSignalSpy changes(m_settings.get(), &Settings::changed);
    m_settings->setValue(Settings::IrcChannel, QStringLiteral("#elsewhere"));
    QCOMPARE(field->text(), QStringLiteral("#elsewhere"));
    QCOMPARE(edits.count(), 0);
    QCOMPARE(changes.count(), 1);
}

void TestOptionsDialog::loadedGameDirectoryOpensInTree()
{
    const QString gameDir = QDir(m_data->path()).filePath(QStringLiteral("Red Faction"));
    QVERIFY(QDir().mkpath(gameDir));
    QFile file(m_data->settingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1\r\n2\r\n" + gameDir.toUtf8() + "\r\n");
    file.close();

    m_settings->load(m_data->settingsFile());

    const auto* tree = child<QTreeView>(QStringLiteral("rfdir"));
    const auto* model = qobject_cast<const QFileSystemModel*>(tree->model());
    QCOMPARE(model->filePath(tree->currentIndex()), gameDir);
    QVERIFY(tree->isExpanded(tree->currentIndex()));
    QCOMPARE(child<QLineEdit>(QStringLiteral("rflprt2"))->text(), QStringLiteral("2"));
}

void TestOptionsDialog::doubleClickOpensDirectory()
{
    const QString parentDir = QDir(m_data->path()).filePath(QStringLiteral("games"));
    const QString gameDir = parentDir + QStringLiteral("/RF");
    QVERIFY(QDir().mkpath(gameDir));
    m_settings->setValue(Settings::GameDirectory, parentDir);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));

    auto* tree = child<QTreeView>(QStringLiteral("rfdir"));
    const auto* model = qobject_cast<const QFileSystemModel*>(tree->model());
    const QModelIndex target = model->index(gameDir);
    tree->scrollTo(target);
    QTRY_VERIFY(tree->visualRect(target).isValid());
    const QPoint centre = tree->visualRect(target).center();
    doubleClick(tree->viewport(), centre);

    QCOMPARE(m_settings->value(Settings::GameDirectory), gameDir);
    QCOMPARE(model->filePath(tree->currentIndex()), gameDir);
    QVERIFY(tree->isExpanded(target));
}

void TestOptionsDialog::defaultsResetTheirGroupOnly_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<KeyTexts>("defaults");

    QTest::newRow("browser") << QStringLiteral("btnrfdefault")
                             << KeyTexts{
                                    {Settings::MasterLocalPort, QStringLiteral("10000")},
                                    {Settings::QueryLocalPort, QStringLiteral("10001")},
                                    {Settings::MasterHost,
                                     QString::fromLatin1(Settings::defaultMasterServer)},
                                    {Settings::MasterPort, QStringLiteral("18444")},
                                };
    QTest::newRow("IRC") << QStringLiteral("btnircdefault")
                         << KeyTexts{
                                {Settings::IrcHost,
                                 QString::fromLatin1(Settings::defaultsIrcServer)},
                                {Settings::IrcPort, QStringLiteral("6667")},
                                {Settings::IrcLocalPort, QStringLiteral("10002")},
                                {Settings::IrcUserName, QStringLiteral("Default")},
                                {Settings::IrcNickname, QStringLiteral("Default")},
                                {Settings::IrcChannel, QStringLiteral("#VNH_Lounge")},
                            };
}

void TestOptionsDialog::defaultsResetTheirGroupOnly()
{
    QFETCH(QString, button);
    QFETCH(KeyTexts, defaults);

    const QString editedDir = m_data->path();
    m_settings->setValue(Settings::GameDirectory, editedDir);
    for (int key = 0; key < Settings::keyCount; ++key) {
        if (key == Settings::GameDirectory)
            continue;
        auto* field = child<QLineEdit>(OptionsDialog::fieldName(Settings::Key(key)));
        field->clear();
        QTest::keyClicks(field, editedText(Settings::Key(key)));
    }
    const QByteArray fileBefore = "unchanged";
    {
        QFile file(m_data->settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(fileBefore);
    }

    QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);

    for (int key = 0; key < Settings::keyCount; ++key) {
        const auto k = Settings::Key(key);
        const QString expected = defaults.contains(key)           ? defaults[key]
                                 : key == Settings::GameDirectory ? editedDir
                                                                  : editedText(k);
        QCOMPARE(m_settings->value(k), expected);
        if (key != Settings::GameDirectory)
            QCOMPARE(child<QLineEdit>(OptionsDialog::fieldName(k))->text(), expected);
    }
    QFile file(m_data->settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), fileBefore); // Defaults saves nothing
}

void TestOptionsDialog::saveReports_data()
{
    QTest::addColumn<bool>("blockFile");
    QTest::addColumn<bool>("blockPreferences");
    QTest::newRow("saved") << false << false;
    QTest::newRow("settings file cannot be written") << true << false;
    QTest::newRow("varnholt.conf cannot be written") << false << true;
}

void TestOptionsDialog::saveReports()
{
    QFETCH(bool, blockFile);
    QFETCH(bool, blockPreferences);
    // A directory where the file should go fails even for root.
    if (blockFile)
        QVERIFY(QDir().mkpath(m_data->settingsFile()));
    if (blockPreferences)
        QVERIFY(QDir().mkpath(DataPaths::preferencesFile()));
    child<QLineEdit>(QStringLiteral("ircroom"))->clear();
    QTest::keyClicks(child<QLineEdit>(QStringLiteral("ircroom")), QStringLiteral("#saved"));
    m_dialog->show();
    // A preference is in force as soon as it is clicked.
    auto* hideFull = child<QCheckBox>(QStringLiteral("chkhidefull"));
    QTest::mouseClick(hideFull, Qt::LeftButton, {}, QPoint(5, hideFull->height() / 2));
    QVERIFY(m_preferences->flag(Preferences::HideFull));

    QTest::mouseClick(child<QPushButton>(QStringLiteral("btnsave")), Qt::LeftButton);

    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_dialog->isVisible());
    if (!blockFile && !blockPreferences) {
        QCOMPARE(m_messages[0].text, QStringLiteral("Settings Saved"));
        QCOMPARE(m_messages[0].icon, QMessageBox::Information);
        Settings reloaded;
        reloaded.load(m_data->settingsFile());
        QCOMPARE(reloaded.value(Settings::IrcChannel), QStringLiteral("#saved"));
        Preferences reloadedPreferences;
        reloadedPreferences.load(DataPaths::preferencesFile());
        QVERIFY(reloadedPreferences.flag(Preferences::HideFull));
    } else {
        const QString reason = blockFile ? m_settings->save(m_data->settingsFile())
                                         : m_preferences->save(DataPaths::preferencesFile());
        QVERIFY(!reason.isEmpty());
        QVERIFY(m_messages[0].text.startsWith(QStringLiteral("The settings could not be saved")));
        QVERIFY(m_messages[0].text.contains(reason));
        QCOMPARE(m_messages[0].icon, QMessageBox::Warning);
    }
}

void TestOptionsDialog::closeHidesAndKeepsFields()
{
    auto* field = child<QLineEdit>(QStringLiteral("ircmail"));
    field->clear();
    QTest::keyClicks(field, QStringLiteral("kept@example.org"));
    m_dialog->show();
    QTest::mouseClick(child<QPushButton>(QStringLiteral("btncoptclose")), Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());
    m_dialog->show();
    QCOMPARE(field->text(), QStringLiteral("kept@example.org"));
    QCOMPARE(m_settings->value(Settings::IrcEmail), QStringLiteral("kept@example.org"));
    QVERIFY(!QFile::exists(m_data->settingsFile())); // Close saves nothing
}

QTEST_MAIN(TestOptionsDialog)
#include "tst_optionsdialog.moc"
