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
    const QString classes = R"(HKEY_CURRENT_USER\Software\Varnholt tests)";
    const QString program = R"(C:\Program Files\Varnholt\varnholt.exe)";
    LinkRegistration ours(program, classes);
    QString error;
    QVERIFY2(!ours.isRegistered() && ours.registerLinks(&error), qPrintable(error));
    QVERIFY(ours.isRegistered());
    QVERIFY(!LinkRegistration(R"(D:\Other\varnholt.exe)", classes).isRegistered());
    QSettings key(classes + R"(\rf)", QSettings::NativeFormat);
    QCOMPARE(key.value("Default").toString(), "URL:Red Faction link");
    QCOMPARE(key.value("URL Protocol", "missing").toString(), "");
    QCOMPARE(key.value("DefaultIcon/Default").toString(), '"' + program + "\",0");
    QCOMPARE(key.value("shell/open/command/Default").toString(), '"' + program + R"(" "%1")");

    // A launcher's handler in the same place is not ours to remove.
    const QString launcher = R"("C:\Dash Faction\DashFactionLauncher.exe" -url "%1")";
    key.setValue("shell/open/command/Default", launcher);
    QVERIFY(ours.unregisterLinks(&error));
    QCOMPARE(QSettings(classes, QSettings::NativeFormat)
                 .value("rf/shell/open/command/Default")
                 .toString(),
             launcher);
    QVERIFY(ours.registerLinks(&error) && ours.unregisterLinks(&error));
    QVERIFY(!QSettings(classes, QSettings::NativeFormat).childGroups().contains("rf"));
    QSettings(classes, QSettings::NativeFormat).remove("");
}
#endif

QTEST_GUILESS_MAIN(TestLinkRegistration)
#include "tst_linkregistration.moc"
