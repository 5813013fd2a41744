#include "gui/aboutdialog.h"
#include "layoutcheck.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestAboutDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void windowHasItsCaptionAndSize();
    void layoutHolds();
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

void TestAboutDialog::layoutHolds()
{
    VERIFY_NO_FAULTS(LayoutCheck::faults(&m_about));
    VERIFY_NO_FAULTS(LayoutCheck::missing(
        &m_about, {{"lbltitle", nullptr, "Varnholt (VNH) - the Varnholt developers (2003)"},
                   {"lblversion", nullptr, "Version 1.0.1"},
                   {"Picture1", nullptr},
                   {"linethanks", nullptr},
                   {"lblthanks", nullptr, "Thanks:"},
                   {"lblthanks1", nullptr},
                   {"lblthanks2", nullptr},
                   {"lblthanks3", nullptr},
                   {"Command1", nullptr, "Close"}}));
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
