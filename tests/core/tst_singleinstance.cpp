#include "core/platform/singleinstance.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

SingleInstance::Outcome outcomeOf(SingleInstance& instance, const QString& message)
{
    QSignalSpy settled(&instance, &SingleInstance::settled);
    instance.start(message);
    if (!settled.wait(SingleInstance::exchangeTimeoutMs * 2))
        return SingleInstance::Outcome(-1);
    return settled.first().first().value<SingleInstance::Outcome>();
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void laterStartHandsOver_data();
    void laterStartHandsOver();
    void takesOverTheSocketOfAnEndedProgram();
};

void TestSingleInstance::laterStartHandsOver_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<SingleInstance::Outcome>("outcome");

    using O = SingleInstance::Outcome;
    QTest::newRow("link") << "rf://127.0.0.1:7755?password=a&b" << O::HandedOver;
    QTest::newRow("longest") << QString(SingleInstance::maxMessageSize, u'x') << O::HandedOver;
    QTest::newRow("too long") << QString(SingleInstance::maxMessageSize + 1, u'x') << O::Alone;
    QTest::newRow("nothing to hand over") << QString() << O::Alone;
}

void TestSingleInstance::laterStartHandsOver()
{
    QFETCH(QString, message);
    QFETCH(SingleInstance::Outcome, outcome);
    QTemporaryDir folder;
    const QString name = folder.filePath("varnholt.socket");

    SingleInstance running(name);
    QCOMPARE(outcomeOf(running, {}), SingleInstance::Outcome::Listening);
    QSignalSpy received(&running, &SingleInstance::messageReceived);

    SingleInstance later(name);
    QCOMPARE(outcomeOf(later, message), outcome);
    const QStringList expected =
        outcome == SingleInstance::Outcome::HandedOver ? QStringList{message} : QStringList{};
    QTRY_COMPARE(received.count(), int(expected.size()));
    for (const QList<QVariant>& arguments : std::as_const(received))
        QCOMPARE(arguments.first().toString(), expected.first());
}

void TestSingleInstance::takesOverTheSocketOfAnEndedProgram()
{
    QTemporaryDir folder;
    const QString name = folder.filePath("varnholt.socket");
    // What a program that was killed leaves: a socket file no one listens on.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(name).constData(), sizeof address.sun_path);
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);

    SingleInstance next(name);
    QCOMPARE(outcomeOf(next, "rf://127.0.0.1:7755"), SingleInstance::Outcome::Listening);
    SingleInstance later(name);
    QCOMPARE(outcomeOf(later, "rf://127.0.0.1:7755"), SingleInstance::Outcome::HandedOver);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
