#include "core/app/application.h"
#include "core/chat/chatsession.h"
#include "core/settings/settings.h"
#include "gui/aboutdialog.h"
#include "gui/mainwindow.h"
#include "gui/optionsdialog.h"
#include "gui/twips.h"
#include "layoutcheck.h"
#include "tempdatafolder.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUdpSocket>

#include <memory>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void layoutHoldsAtEverySize_data();
    void layoutHoldsAtEverySize();
    void windowAndListLayout();
    void startUpDeletesStaleCacheAndLoadsSettings();
    void memoryLineAfterFirstTick();
    void quitAndCloseShutDownTheSameWay_data();
    void quitAndCloseShutDownTheSameWay();
    void secondaryWindowsAreReused();
    void keyboard();

private:
    std::unique_ptr<TempDataFolder> m_data;
};

void TestMainWindow::init()
{
    m_data = std::make_unique<TempDataFolder>();
}

void TestMainWindow::cleanup()
{
    m_data.reset();
}

void TestMainWindow::layoutHoldsAtEverySize_data()
{
    QTest::addColumn<QSize>("grownBy");
    QTest::newRow("opening size") << QSize();
    QTest::newRow("wider") << QSize(500, 0);
    QTest::newRow("taller") << QSize(0, 400);
    QTest::newRow("larger") << QSize(700, 500);
}

void TestMainWindow::layoutHoldsAtEverySize()
{
    QFETCH(QSize, grownBy);
    Application app;
    MainWindow window(&app);
    window.show(); // a hidden window is arranged only when shown
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.resize(window.size() + grownBy);
    VERIFY_NO_FAULTS(LayoutCheck::faults(&window));
    VERIFY_NO_FAULTS(
        LayoutCheck::missing(&window, {{"frastatus", nullptr, "System Status"},
                                       {"txtstat", "frastatus"},
                                       {"framemory", nullptr, "Memory Status"},
                                       {"memstat", "framemory"},
                                       {"fracommands", nullptr, ""},
                                       {"btnoptions", "fracommands", "Options"},
                                       {"btnabout", "fracommands", "About"},
                                       {"btnexit", "fracommands", "Quit"},
                                       {"frarefresh", nullptr, "Browser Refresh Control"},
                                       {"btnrefresh", "frarefresh", "Refresh"},
                                       {"btngetlist", "frarefresh", "Get List"},
                                       {"fragametype", nullptr, "Game Type Filter"},
                                       {"optdm", "fragametype", "DM"},
                                       {"opttdm", "fragametype", "TDM"},
                                       {"optctf", "fragametype", "CTF"},
                                       {"opttall", "fragametype", "ALL"},
                                       {"fraversion", nullptr, "Version Filter"},
                                       {"opt0", "fraversion", "1.0"},
                                       {"opt1", "fraversion", "1.1"},
                                       {"opt2", "fraversion", "1.2"},
                                       {"opt3", "fraversion", "1.3"},
                                       {"optvall", "fraversion", "ALL"},
                                       {"fraservers", nullptr, "Server List"},
                                       {"serverlist", "fraservers"},
                                       {"frachatlog", nullptr, "Chat Log"},
                                       {"irctxt", "frachatlog"},
                                       {"frachatinput", nullptr, "Chat Input"},
                                       {"irccom", "frachatinput"},
                                       {"btnirccnt", nullptr, "Connect "},
                                       {"btnircdiscnnt", nullptr, "Disconnect"},
                                       {"btnusers", nullptr, "Users"}}));
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
        QVERIFY2(!button->isChecked(), qPrintable(button->objectName())); // none chosen at start
    for (const QLineEdit* line : window.findChildren<QLineEdit*>())
        QCOMPARE(line->isReadOnly(), line->objectName() != QLatin1String("irccom"));
}

void TestMainWindow::windowAndListLayout()
{
    Application app;
    MainWindow window(&app);
    QCOMPARE(window.size(), QSize(656, 634));
    window.resize(600, 600); // never smaller than it opens
    QCOMPARE(window.size(), QSize(656, 634));
    QVERIFY(window.windowTitle().startsWith(QLatin1String("Varnholt - ")));
    QVERIFY(window.windowTitle().endsWith(QLatin1String(" (2003)")));

    auto* list = window.findChild<QTreeView*>(QStringLiteral("serverlist"));
    QVERIFY(list);
    const QAbstractItemModel* rows = list->model();
    const QStringList headers{QStringLiteral("Server"),  QStringLiteral("IP Address"),
                              QStringLiteral("Map"),     QStringLiteral("Players"),
                              QStringLiteral("Version"), QStringLiteral("Mod"),
                              QStringLiteral("Ping")};
    const QList<int> widthsTwips{2200, 1440, 1600, 700, 700, 1440, 700};
    QCOMPARE(rows->columnCount(), 7);
    for (int i = 0; i < 7; ++i) {
        QCOMPARE(rows->headerData(i, Qt::Horizontal).toString(), headers[i]);
        QCOMPARE(list->columnWidth(i), twipsToPixels(widthsTwips[i]));
    }
    QCOMPARE(rows->rowCount(), 0);

    // UDP sockets: master list, server queries and the server of a link;
    // the watch's own master list, server queries and player lists.
    QCOMPARE(app.findChildren<QUdpSocket*>().size(), 6);
    QCOMPARE(app.chat()->state(), ChatSession::State::Disconnected);
}

void TestMainWindow::startUpDeletesStaleCacheAndLoadsSettings()
{
    QVERIFY(QDir().mkpath(QFileInfo(m_data->cacheFile()).absolutePath()));
    writeFile(m_data->cacheFile(), "10.0.0.1\r\n 7755 \r\n");
    writeFile(m_data->settingsFile(), "20000\r\n20001\r\n");

    Application app;
    MainWindow window(&app);
    QVERIFY(!QFile::exists(m_data->cacheFile()));
    QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("txtstat"))->text(),
             QStringLiteral("Ready"));
    QCOMPARE(window.optionsDialog()->findChild<QLineEdit*>(QStringLiteral("rflprt1"))->text(),
             QStringLiteral("20000"));
    QCOMPARE(window.optionsDialog()->findChild<QLineEdit*>(QStringLiteral("rflprt2"))->text(),
             QStringLiteral("20001"));
    // Lines the file does not have keep their initial texts.
    QCOMPARE(window.optionsDialog()->findChild<QLineEdit*>(QStringLiteral("ircroom"))->text(),
             QStringLiteral("#VNH_Lounge"));
    QVERIFY(!window.optionsDialog()->isVisible());
}

void TestMainWindow::memoryLineAfterFirstTick()
{
    Application app;
    MainWindow window(&app);
    auto* memstat = window.findChild<QLineEdit*>(QStringLiteral("memstat"));
    auto* timer = window.findChild<QTimer*>(QStringLiteral("memtimer"));
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 2000);
    QCOMPARE(memstat->text(), QString());
    QTRY_VERIFY_WITH_TIMEOUT(!memstat->text().isEmpty(), 5000);
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d{1,3}% Used \\d+ Mb Available$"))
                 .match(memstat->text())
                 .hasMatch(),
             qPrintable(memstat->text()));
}

void TestMainWindow::quitAndCloseShutDownTheSameWay_data()
{
    QTest::addColumn<bool>("byQuitButton");
    QTest::newRow("Quit") << true;
    QTest::newRow("close control") << false;
}

void TestMainWindow::quitAndCloseShutDownTheSameWay()
{
    QFETCH(bool, byQuitButton);
    Application app;
    MainWindow window(&app);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // A cache file written during the run (Get List's output).
    writeFile(m_data->cacheFile(), "127.0.0.1\r\n 7755 \r\n");
    // An open chat connection.
    QTcpServer ircServer;
    QVERIFY(ircServer.listen(QHostAddress::LocalHost, 0));
    app.settings()->setValue(Settings::IrcHost, QStringLiteral("127.0.0.1"));
    app.settings()->setValue(Settings::IrcPort, QString::number(ircServer.serverPort()));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnirccnt")), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(app.chat()->state(), ChatSession::State::Registering, 5000);
    QSignalSpy done(&window, &MainWindow::shutDownComplete);

    if (byQuitButton)
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnexit")),
                          Qt::LeftButton);
    else
        QVERIFY(window.close());

    QCOMPARE(done.count(), 1);
    QVERIFY(!QFile::exists(m_data->cacheFile()));
    QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("txtstat"))->text(),
             QStringLiteral("Closing down..."));
    QVERIFY(!window.findChild<QTimer*>(QStringLiteral("memtimer"))->isActive());
    const QList<QUdpSocket*> udpSockets = app.findChildren<QUdpSocket*>();
    QCOMPARE(udpSockets.size(), 6);
    for (const QUdpSocket* socket : udpSockets)
        QCOMPARE(socket->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(app.chat()->state(), ChatSession::State::Disconnected);
    // A second request to end changes nothing.
    window.shutDown();
    QCOMPARE(done.count(), 1);
}

void TestMainWindow::secondaryWindowsAreReused()
{
    Application app;
    MainWindow window(&app);
    window.show();
    QVERIFY(window.aboutDialog() == nullptr); // made on first use

    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnabout")), Qt::LeftButton);
    AboutDialog* about = window.aboutDialog();
    QVERIFY(about && about->isVisible());
    about->hide();
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnabout")), Qt::LeftButton);
    QCOMPARE(window.aboutDialog(), about);
    QVERIFY(about->isVisible());

    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnoptions")), Qt::LeftButton);
    QVERIFY(window.optionsDialog()->isVisible());
    QVERIFY(!window.optionsDialog()->isModal());
    QVERIFY(window.isEnabled());
}

void TestMainWindow::keyboard()
{
    Application app;
    MainWindow window(&app);
    window.show();
    QApplication::setActiveWindow(&window);
    for (int i = 0; i < 30; ++i) { // Tab passes over the status and memory lines
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(!QApplication::focusWidget()->objectName().endsWith(QLatin1String("stat")));
    }
    auto* status = window.findChild<QLineEdit*>(QStringLiteral("txtstat"));
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_F5), Qt::CTRL | Qt::Key_R}) {
        status->clear(); // Refresh without filters says so, its whole text readable
        QTest::keyClick(&window, key.key(), key.keyboardModifiers());
        QCOMPARE(status->text(), QStringLiteral("Error: Please set game filters first"));
        QCOMPARE(status->toolTip(), status->text());
        QCOMPARE(status->cursorPosition(), 0);
        QVERIFY(status->fontMetrics().horizontalAdvance(status->text()) <= status->width() - 8);
    }
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnabout")), Qt::LeftButton);
    QCOMPARE(window.aboutDialog()->geometry().center(), window.geometry().center());
    for (QWidget* dialog : {(QWidget*)window.aboutDialog(), (QWidget*)window.optionsDialog()}) {
        dialog->show();
        QApplication::setActiveWindow(dialog);
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
    }
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
