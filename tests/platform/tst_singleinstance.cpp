#include "core/platform/singleinstance.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

class TestSingleInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void laterStartHandsOver_data();
    void laterStartHandsOver();
};

void TestSingleInstance::laterStartHandsOver_data()
{
    QTest::addColumn<bool>("leftSocket"); // of an earlier program that was killed
    QTest::addColumn<QString>("message");
    QTest::addColumn<SingleInstance::Outcome>("outcome");

    using O = SingleInstance::Outcome;
    const QString link = QStringLiteral("rf://127.0.0.1:7755?password=a&b");
    QTest::newRow("link") << false << link << O::HandedOver;
#ifdef Q_OS_UNIX
    QTest::newRow("after a killed program") << true << link << O::HandedOver;
#endif
    QTest::newRow("too long") << false << QString(SingleInstance::maxMessageSize + 1, u'x')
                              << O::Alone;
    QTest::newRow("nothing to hand over") << false << QString() << O::Alone;
}

void TestSingleInstance::laterStartHandsOver()
{
    QFETCH(bool, leftSocket);
    Q_UNUSED(leftSocket); // a socket file is left only where there are files
    QFETCH(QString, message);
    QFETCH(SingleInstance::Outcome, outcome);
    using O = SingleInstance::Outcome;
    QTemporaryDir folder;
    const QString name = folder.filePath(QStringLiteral("varnholt.socket"));
#ifdef Q_OS_UNIX
    if (leftSocket) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{AF_UNIX, {}};
        qstrncpy(address.sun_path, QFile::encodeName(name).constData(), sizeof address.sun_path);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
#endif

    SingleInstance running(name), later(name);
    QSignalSpy received(&running, &SingleInstance::messageReceived);
    QSignalSpy runningSettled(&running, &SingleInstance::settled);
    QSignalSpy laterSettled(&later, &SingleInstance::settled);
    running.start({});
    QTRY_COMPARE(runningSettled.count(), 1);
    QCOMPARE(runningSettled.first().first(), QVariant::fromValue(O::Listening));
    later.start(message);
    QTRY_COMPARE(laterSettled.count(), 1);
    QCOMPARE(laterSettled.first().first(), QVariant::fromValue(outcome));
    const QList<QVariantList> taken{{message}};
    QCOMPARE(QList<QVariantList>(received),
             outcome == O::HandedOver ? taken : QList<QVariantList>{});
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
