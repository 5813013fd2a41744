#include "layoutcheck.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <functional>

// The checker the window tests rely on finds each kind of fault.
class TestLayoutCheck : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void findsFaults_data();
    void findsFaults();
};

using Change = std::function<void(QWidget* window)>;
Q_DECLARE_METATYPE(Change)

void TestLayoutCheck::findsFaults_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QStringList>("faults");

    const auto child = [](QWidget* window, const char* name) {
        return window->findChild<QWidget*>(QString::fromLatin1(name));
    };
    QTest::newRow("as built") << Change([](QWidget*) {}) << QStringList();
    QTest::newRow("moved onto another")
        << Change([=](QWidget* w) { child(w, "second")->move(20, 30); })
        << QStringList{QStringLiteral("first overlaps second")};
    QTest::newRow("sharing an edge pixel")
        << Change([=](QWidget* w) { child(w, "second")->move(69, 20); }) << QStringList();
    // A button on the window, over the frame.
    const auto addOver = [](QWidget* w, QRect place) {
        auto* over = new QPushButton(w);
        over->setObjectName(QStringLiteral("over"));
        over->setGeometry(place);
    };
    QTest::newRow("in a frame's free room") << Change([=](QWidget* w) {
        addOver(w, {150, 85, 50, 20});
    }) << QStringList();
    QTest::newRow("over a frame's control") << Change([=](QWidget* w) {
        addOver(w, {150, 65, 50, 20});
    }) << QStringList{QStringLiteral("frame overlaps over")};
    QTest::newRow("out of its frame")
        << Change([=](QWidget* w) { child(w, "second")->move(150, 30); })
        << QStringList{QStringLiteral("second lies outside frame")};
    QTest::newRow("caption too wide") << Change([=](QWidget* w) {
        static_cast<QPushButton*>(child(w, "second"))->setText(QString(40, u'W'));
    }) << QStringList{QStringLiteral("second's caption")};
    QTest::newRow("check box too narrow")
        << Change([=](QWidget* w) { child(w, "box")->resize(20, 20); })
        << QStringList{QStringLiteral("box's caption")};
    QTest::newRow("empty label") << Change([=](QWidget* w) {
        static_cast<QLabel*>(child(w, "label"))->clear();
    }) << QStringList{QStringLiteral("label shows nothing")};
    QTest::newRow("renamed") << Change([=](QWidget* w) { child(w, "box")->setObjectName({}); })
                             << QStringList{QStringLiteral("box is missing")};
    QTest::newRow("other frame") << Change([=](QWidget* w) {
        child(w, "label")->setParent(w);
        child(w, "label")->move(220, 120);
    }) << QStringList{QStringLiteral("label is in window")};
    QTest::newRow("other caption")
        << Change([=](QWidget* w) { static_cast<QGroupBox*>(child(w, "frame"))->setTitle({}); })
        << QStringList{QStringLiteral("frame shows \"\"")};
}

void TestLayoutCheck::findsFaults()
{
    QFETCH(Change, change);
    QFETCH(QStringList, faults);
    QWidget window;
    window.setObjectName(QStringLiteral("window"));
    window.resize(300, 200);
    auto* frame = new QGroupBox(QStringLiteral("Frame"), &window);
    const auto place = [](QWidget* control, const char* name, QRect rect) {
        control->setObjectName(QString::fromLatin1(name));
        control->setGeometry(rect);
    };
    place(frame, "frame", {10, 10, 200, 100});
    place(new QPushButton(QStringLiteral("&One"), frame), "first", {10, 20, 60, 20});
    place(new QPushButton(QStringLiteral("Two"), frame), "second", {80, 20, 60, 20});
    place(new QCheckBox(QStringLiteral("Box"), frame), "box", {10, 50, 100, 20});
    place(new QLabel(QStringLiteral("Label"), frame), "label", {120, 50, 70, 20});
    change(&window);

    const QStringList found =
        LayoutCheck::faults(&window) + LayoutCheck::missing(&window, {{"frame", nullptr, "Frame"},
                                                                      {"first", "frame", "One"},
                                                                      {"box", "frame"},
                                                                      {"label", "frame"}});
    QCOMPARE(found.size(), faults.size());
    for (qsizetype i = 0; i < faults.size(); ++i)
        QVERIFY2(found[i].startsWith(faults[i]), qPrintable(found[i]));
}

QTEST_MAIN(TestLayoutCheck)
#include "tst_layoutcheck.moc"
