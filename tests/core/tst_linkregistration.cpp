#include "core/platform/linkregistration.h"

#include <QDir>
#include <QSettings>
#include <QTest>

class TestLinkRegistration : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void commandQuotesProgramAndLink();
#ifdef Q_OS_WIN
    void registersAndRemovesOwnKeyOnly();
#endif
};

void TestLinkRegistration::commandQuotesProgramAndLink()
{
    const QString program = "C:/Program Files/Varnholt/varnholt.exe";
    QCOMPARE(LinkRegistration::command(program),
             '"' + QDir::toNativeSeparators(program) + R"(" "%1")");
}

#ifdef Q_OS_WIN
void TestLinkRegistration::registersAndRemovesOwnKeyOnly()
{
    const QString classes = R"(HKEY_CURRENT_USER\Software\Varnholt tests\Classes)";
    const QString program = R"(C:\Program Files\Varnholt\varnholt.exe)";
    LinkRegistration ours(program, classes);
    QString error;
    QVERIFY(!ours.isRegistered());
    QVERIFY2(ours.registerLinks(&error), qPrintable(error));
    QVERIFY(ours.isRegistered());
    QVERIFY(!LinkRegistration(R"(D:\Other\varnholt.exe)", classes).isRegistered());

    QSettings key(classes + R"(\rf)", QSettings::NativeFormat);
    QCOMPARE(key.value("Default").toString(), "URL:Red Faction link");
    QVERIFY(key.contains("URL Protocol"));
    QCOMPARE(key.value("URL Protocol").toString(), "");
    QCOMPARE(key.value("DefaultIcon/Default").toString(), '"' + program + "\",0");
    QCOMPARE(key.value("shell/open/command/Default").toString(), '"' + program + "\" \"%1\"");

    // A launcher's handler in the same place is not ours to remove.
    const QString launcher = R"("C:\Dash Faction\DashFactionLauncher.exe" -url "%1")";
    key.setValue("shell/open/command/Default", launcher);
    key.sync();
    QVERIFY(ours.unregisterLinks(&error));
    QCOMPARE(QSettings(classes + R"(\rf)", QSettings::NativeFormat)
                 .value("shell/open/command/Default")
                 .toString(),
             launcher);

    QVERIFY2(ours.registerLinks(&error), qPrintable(error));
    QVERIFY2(ours.unregisterLinks(&error), qPrintable(error));
    QVERIFY(!ours.isRegistered());
    QVERIFY(!QSettings(classes, QSettings::NativeFormat).childGroups().contains("rf"));
    QSettings(R"(HKEY_CURRENT_USER\Software\Varnholt tests)", QSettings::NativeFormat).remove("");
}
#endif

QTEST_GUILESS_MAIN(TestLinkRegistration)
#include "tst_linkregistration.moc"
