#include "gui/aboutdialog.h"
#include "gui/twips.h"

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestAboutDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void windowHasItsCaptionAndSize();
    void controlSitsAtItsPlace_data();
    void controlSitsAtItsPlace();
    void labelsFitTheirRectangles();
    void logoIs128Square();
    void closeHidesAndReshowKeepsContents();

private:
    AboutDialog m_about;
};

void TestAboutDialog::windowHasItsCaptionAndSize()
{
    QCOMPARE(m_about.objectName(), QStringLiteral("frmabout"));
    QCOMPARE(m_about.windowTitle(), QStringLiteral("About VNH"));
    QVERIFY(m_about.isWindow());
    QCOMPARE(m_about.size(), QSize(312, 213)); // 4680 x 3195 twips
}

void TestAboutDialog::controlSitsAtItsPlace_data()
{
    // A zero width or height means the layout fixes only the position.
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("text");

    QTest::newRow("lbltitle") << QRect(120, 120, 4455, 255)
                              << QStringLiteral("Varnholt (VNH) - the Varnholt developers (2003)");
    QTest::newRow("lblversion") << QRect(3120, 360, 0, 0) << QStringLiteral("Version 1.0.1");
    QTest::newRow("Picture1") << QRect(600, 720, 2055, 2055) << QString();
    QTest::newRow("linethanks") << QRect(3240, 840, 15, 1680) << QString();
    QTest::newRow("lblthanks") << QRect(3360, 960, 0, 0) << QStringLiteral("Thanks:");
    QTest::newRow("lblthanks1") << QRect(3360, 1320, 0, 0) << QString();
    QTest::newRow("lblthanks2") << QRect(3360, 1560, 0, 0) << QString();
    QTest::newRow("lblthanks3") << QRect(3360, 1800, 0, 0) << QString();
    QTest::newRow("Command1") << QRect(3480, 2880, 1095, 255) << QStringLiteral("Close");
}

void TestAboutDialog::controlSitsAtItsPlace()
{
    QFETCH(QRect, twips);
    QFETCH(QString, text);

    const auto* widget = m_about.findChild<QWidget*>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget(), &m_about);
    const QRect expected = twipsRect(twips.x(), twips.y(), twips.width(), twips.height());
    QCOMPARE(widget->pos(), expected.topLeft());
    if (!twips.size().isEmpty())
        QCOMPARE(widget->size(), expected.size());
    // Labels whose text the layout leaves open must still say something.
    if (const auto* label = qobject_cast<const QLabel*>(widget); label && label->pixmap().isNull())
        QVERIFY(text.isEmpty() ? !label->text().trimmed().isEmpty() : label->text() == text);
    if (const auto* button = qobject_cast<const QPushButton*>(widget))
        QCOMPARE(button->text().remove(u'&'), text);
}

void TestAboutDialog::labelsFitTheirRectangles()
{
    const auto labels = m_about.findChildren<QLabel*>();
    QCOMPARE(labels.size(), 7);
    for (const QLabel* label : labels) {
        if (!label->pixmap().isNull())
            continue;
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        QVERIFY2(needed <= label->width(), qPrintable(label->objectName()));
        QVERIFY2(label->geometry().right() < m_about.width(), qPrintable(label->objectName()));
    }
    const auto* title = m_about.findChild<QLabel*>(QStringLiteral("lbltitle"));
    QVERIFY(title->alignment() & Qt::AlignHCenter);
}

void TestAboutDialog::logoIs128Square()
{
    const auto* picture = m_about.findChild<QLabel*>(QStringLiteral("Picture1"));
    const QPixmap logo = picture->pixmap();
    QVERIFY2(!logo.isNull(), "the logo resource is missing");
    QCOMPARE(logo.size(), QSize(128, 128));
    // Not a blank image: the point of the red "V" is below the middle.
    const QColor middle = logo.toImage().pixelColor(64, 80);
    QVERIFY2(middle.red() > 150 && middle.blue() < 80, qPrintable(middle.name()));
}

void TestAboutDialog::closeHidesAndReshowKeepsContents()
{
    m_about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_about));
    const QImage before = m_about.grab().toImage();

    QTest::mouseClick(m_about.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY(!m_about.isVisible());

    m_about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_about));
    QCOMPARE(m_about.grab().toImage(), before);
}

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdialog.moc"
