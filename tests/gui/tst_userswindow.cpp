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
    QCOMPARE(window.objectName(), QStringLiteral("frmusers"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Users"));
    QCOMPARE(window.size(), QSize(160, 487));
    QCOMPARE(window.palette().color(QPalette::Window), QColor(0, 0, 64));
    QVERIFY(window.isWindow());
}

void TestUsersWindow::listColours()
{
    UsersWindow window;
    auto* list = window.findChild<QPlainTextEdit*>(QStringLiteral("userlist"));
    QVERIFY(list);
    QVERIFY(list->isReadOnly());
    QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(list->palette().color(QPalette::Base), QColor(0, 64, 64));
    QCOMPARE(list->palette().color(QPalette::Text), QColor(0, 192, 192));
}

void TestUsersWindow::setUsersOnePerLine()
{
    UsersWindow window;
    window.setUsers({QStringLiteral("@vnh"), QStringLiteral("bob"), QStringLiteral("+eve")});
    QCOMPARE(window.usersText(), QStringLiteral("@vnh\nbob\n+eve"));
    window.setUsers({QStringLiteral("only")});
    QCOMPARE(window.usersText(), QStringLiteral("only"));
    window.setUsers({});
    QCOMPARE(window.usersText(), QStringLiteral(""));
}

void TestUsersWindow::closeHidesAndKeepsTheList()
{
    UsersWindow window;
    window.setUsers({QStringLiteral("a"), QStringLiteral("b")});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnuserclose")),
                      Qt::LeftButton);
    QVERIFY(!window.isVisible());
    // Filled while hidden, shown again with the new list.
    window.setUsers({QStringLiteral("c")});
    window.show();
    QCOMPARE(window.usersText(), QStringLiteral("c"));
    // The title bar's close hides as well.
    QCOMPARE(window.close(), false);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.usersText(), QStringLiteral("c"));
}

void TestUsersWindow::refreshIsSignalled()
{
    UsersWindow window;
    QSignalSpy refresh(&window, &UsersWindow::refreshClicked);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnuserefres")),
                      Qt::LeftButton);
    QCOMPARE(refresh.size(), 1);
}

QTEST_MAIN(TestUsersWindow)
#include "tst_userswindow.moc"
