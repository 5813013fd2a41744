#include "gui/userswindow.h"
#include "layoutcheck.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestUsersWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layout();
    void window();
    void listColours();
    void setUsersOnePerLine();
    void closeHidesAndKeepsTheList();
    void refreshIsSignalled();
};

void TestUsersWindow::layout()
{
    UsersWindow window;
    VERIFY_NO_FAULTS(LayoutCheck::faults(&window));
    VERIFY_NO_FAULTS(LayoutCheck::missing(&window, {{"Frame1", nullptr, ""},
                                                    {"userlist", "Frame1"},
                                                    {"btnuserefres", "Frame1", "Refresh"},
                                                    {"btnuserclose", "Frame1", "Close"}}));
}

void TestUsersWindow::window()
{
    UsersWindow window;
    QCOMPARE(window.objectName(), "frmusers");
    QCOMPARE(window.windowTitle(), "Users");
    QCOMPARE(window.size(), QSize(160, 487));
    QCOMPARE(window.palette().color(QPalette::Window), QColor(0, 0, 64));
    QVERIFY(window.isWindow());
}

void TestUsersWindow::listColours()
{
    UsersWindow window;
    auto* list = window.findChild<QPlainTextEdit*>("userlist");
    QVERIFY(list);
    QVERIFY(list->isReadOnly());
    QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(list->palette().color(QPalette::Base), QColor(0, 64, 64));
    QCOMPARE(list->palette().color(QPalette::Text), QColor(0, 192, 192));
}

void TestUsersWindow::setUsersOnePerLine()
{
    UsersWindow window;
    window.setUsers({"@vnh", "bob", "+eve"});
    QCOMPARE(window.usersText(), "@vnh\nbob\n+eve");
    window.setUsers({"only"});
    QCOMPARE(window.usersText(), "only");
    window.setUsers({});
    QCOMPARE(window.usersText(), "");
}

void TestUsersWindow::closeHidesAndKeepsTheList()
{
    UsersWindow window;
    window.setUsers({"a", "b"});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.findChild<QPushButton*>("btnuserclose"), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    // Filled while hidden, shown again with the new list.
    window.setUsers({"c"});
    window.show();
    QCOMPARE(window.usersText(), "c");
    // The title bar's close hides as well.
    QCOMPARE(window.close(), false);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.usersText(), "c");
}

void TestUsersWindow::refreshIsSignalled()
{
    UsersWindow window;
    QSignalSpy refresh(&window, &UsersWindow::refreshClicked);
    QTest::mouseClick(window.findChild<QPushButton*>("btnuserefres"), Qt::LeftButton);
    QCOMPARE(refresh.size(), 1);
}

QTEST_MAIN(TestUsersWindow)
#include "tst_userswindow.moc"
