#include "core/app/application.h"
#include "core/chat/chatsession.h"
#include "core/settings/settings.h"
#include "gui/aboutdialog.h"
#include "gui/mainwindow.h"
#include "gui/optionsdialog.h"
#include "gui/twips.h"
#include "tempdatafolder.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
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
    void controlsAtTheirPlaces_data();
    void controlsAtTheirPlaces();
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

void TestMainWindow::controlsAtTheirPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("frameCaption"); // empty: on the window itself or an untitled frame
    QTest::addColumn<QRect>("frameTwips");     // null: placed on the window
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("caption");

    auto row = [](const char* name, const char* frame, QRect frameRect, QRect rect,
                  const char* caption) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(frame) << frameRect
                            << rect << QString::fromLatin1(caption);
    };
    const QRect status(120, 0, 3135, 615), memory(3360, 0, 3495, 615), commands(6960, 0, 2775, 615),
        refresh(120, 720, 2055, 615), gameType(2280, 720, 3615, 615), version(6000, 720, 3735, 615),
        servers(120, 1440, 9615, 3735), chatLog(120, 5280, 9615, 3135),
        chatInput(120, 8400, 9615, 615);

    row("txtstat", "System Status", status, {120, 240, 2895, 285}, "");
    row("memstat", "Memory Status", memory, {120, 240, 3255, 285}, "");
    row("btnoptions", "", commands, {120, 240, 735, 255}, "Options");
    row("btnabout", "", commands, {960, 240, 735, 255}, "About");
    row("btnexit", "", commands, {1920, 240, 735, 255}, "Quit");
    row("btnrefresh", "Browser Refresh Control", refresh, {120, 240, 855, 255}, "Refresh");
    row("btngetlist", "Browser Refresh Control", refresh, {1080, 240, 855, 255}, "Get List");
    row("optdm", "Game Type Filter", gameType, {120, 240, 800, 255}, "DM");
    row("opttdm", "Game Type Filter", gameType, {960, 240, 800, 255}, "TDM");
    row("optctf", "Game Type Filter", gameType, {1800, 240, 800, 255}, "CTF");
    row("opttall", "Game Type Filter", gameType, {2640, 240, 855, 255}, "ALL");
    row("opt0", "Version Filter", version, {120, 240, 615, 255}, "1.0");
    row("opt1", "Version Filter", version, {840, 240, 615, 255}, "1.1");
    row("opt2", "Version Filter", version, {1560, 240, 615, 255}, "1.2");
    row("opt3", "Version Filter", version, {2280, 240, 615, 255}, "1.3");
    row("optvall", "Version Filter", version, {3000, 240, 615, 255}, "ALL");
    row("serverlist", "Server List", servers, {120, 360, 9375, 3135}, "");
    row("irctxt", "Chat Log", chatLog, {120, 240, 9375, 2775}, "");
    row("irccom", "Chat Input", chatInput, {120, 240, 9375, 285}, "");
    row("btnirccnt", "", QRect(), {120, 9120, 975, 255}, "Connect ");
    row("btnircdiscnnt", "", QRect(), {1200, 9120, 975, 255}, "Disconnect");
    row("btnusers", "", QRect(), {8760, 9120, 975, 255}, "Users");
}

void TestMainWindow::controlsAtTheirPlaces()
{
    QFETCH(QString, name);
    QFETCH(QString, frameCaption);
    QFETCH(QRect, frameTwips);
    QFETCH(QRect, twips);
    QFETCH(QString, caption);

    Application app;
    MainWindow window(&app);
    auto* control = window.findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->geometry(), twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));

    QWidget* container = control->parentWidget();
    if (frameTwips.isNull()) {
        QCOMPARE(container, &window);
    } else {
        auto* frame = qobject_cast<QGroupBox*>(container);
        QVERIFY(frame);
        QCOMPARE(frame->parentWidget(), &window);
        QCOMPARE(frame->title(), frameCaption);
        QCOMPARE(frame->geometry(), twipsRect(frameTwips.x(), frameTwips.y(), frameTwips.width(),
                                              frameTwips.height()));
    }

    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QCOMPARE(button->text().remove(u'&'), caption);
        QVERIFY(!button->isChecked()); // no option is selected at start
    }
    if (auto* box = qobject_cast<QLineEdit*>(control))
        QCOMPARE(box->isReadOnly(), name != QLatin1String("irccom"));
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

    // UDP sockets: master list, server queries and the server of a link.
    QCOMPARE(app.findChildren<QUdpSocket*>().size(), 3);
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
    QCOMPARE(udpSockets.size(), 3);
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
