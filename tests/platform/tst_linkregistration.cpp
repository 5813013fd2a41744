#include "core/platform/linkregistration.h"

#include <QSettings>
#include <QTest>

// Registers under a key of the tests' own; other systems register nothing.
class TestLinkRegistration : public QObject
{
    Q_OBJECT
private Q_SLOTS:
#ifdef Q_OS_WIN
    void registersAndRemovesOwnKeyOnly();
#endif
};

#ifdef Q_OS_WIN
void TestLinkRegistration::registersAndRemovesOwnKeyOnly()
{
    const QString classes = QStringLiteral(R"(HKEY_CURRENT_USER\Software\Varnholt tests)");
    const QString program = QStringLiteral(R"(C:\Program Files\Varnholt\varnholt.exe)");
    LinkRegistration ours(program, classes);
    QString error;
    QVERIFY2(!ours.isRegistered() && ours.registerLinks(&error), qPrintable(error));
    QVERIFY(ours.isRegistered());
    QVERIFY(!LinkRegistration(QStringLiteral(R"(D:\Other\varnholt.exe)"), classes).isRegistered());
    QSettings key(classes + QStringLiteral(R"(\rf)"), QSettings::NativeFormat);
    QCOMPARE(key.value(QStringLiteral("Default")).toString(),
             QStringLiteral("URL:Red Faction link"));
    QCOMPARE(key.value(QStringLiteral("URL Protocol"), QStringLiteral("missing")).toString(),
             QStringLiteral(""));
    QCOMPARE(key.value(QStringLiteral("DefaultIcon/Default")).toString(),
             u'"' + program + QStringLiteral("\",0"));
    QCOMPARE(key.value(QStringLiteral("shell/open/command/Default")).toString(),
             u'"' + program + QStringLiteral("\" \"%1\""));

    // A launcher's handler in the same place is not ours to remove.
    const QString launcher =
        QStringLiteral("\"C:\\Dash Faction\\DashFactionLauncher.exe\" -url \"%1\"");
    key.setValue(QStringLiteral("shell/open/command/Default"), launcher);
    QVERIFY(ours.unregisterLinks(&error));
    QCOMPARE(QSettings(classes, QSettings::NativeFormat)
                 .value(QStringLiteral("rf/shell/open/command/Default"))
                 .toString(),
             launcher);
    QVERIFY(ours.registerLinks(&error) && ours.unregisterLinks(&error));
    QVERIFY(
        !QSettings(classes, QSettings::NativeFormat).childGroups().contains(QStringLiteral("rf")));
    QSettings(classes, QSettings::NativeFormat).remove(QStringLiteral(""));
}
#endif

QTEST_GUILESS_MAIN(TestLinkRegistration)
#include "tst_linkregistration.moc"
