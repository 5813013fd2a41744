#include "core/browser/linkjoiner.h"
#include "core/browser/serverquerier.h"
#include "core/wire/inforeply.h"
#include "fakegameserver.h"

#include <QSignalSpy>
#include <QTest>

class TestLinkJoiner : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void asksTheServerThenForTheLaunch_data();
    void asksTheServerThenForTheLaunch();
};

void TestLinkJoiner::asksTheServerThenForTheLaunch_data()
{
    QTest::addColumn<int>("flags"); // of the reply; -1: the server does not answer
    QTest::addColumn<QString>("linkPassword");
    QTest::addColumn<bool>("needsPassword");
    QTest::addColumn<QString>("status");

    QTest::newRow("answers") << 0 << "" << false << "Ready";
    QTest::newRow("asks for a password") << 0x05 << "pw" << true << "Ready";
    QTest::newRow("silent, asked all the same")
        << -1 << "pw" << false << "127.0.0.1:PORT did not answer within 0.3 s";
}

void TestLinkJoiner::asksTheServerThenForTheLaunch()
{
    QFETCH(int, flags);
    QFETCH(QString, linkPassword);
    QFETCH(bool, needsPassword);
    QFETCH(QString, status);

    const InfoReply info{145, "Alpha", 0, 3, 8, "dm01", {}, quint8(flags)};
    FakeGameServer server(flags < 0 ? QList<QByteArray>{} : QList{InfoProtocol::encodeReply(info)});
    LinkJoiner joiner;
    joiner.querier()->setReplyTimeout(300);
    QSignalSpy entries(&joiner, &LinkJoiner::entryReceived);
    QSignalSpy launches(&joiner, &LinkJoiner::launchRequested);
    QSignalSpy statuses(&joiner, &LinkJoiner::statusChanged);

    joiner.join(RfLink{server.endpoint(), linkPassword});
    QTRY_COMPARE_WITH_TIMEOUT(launches.count(), 1, 3000);

    QCOMPARE(server.requests, QList<QByteArray>{InfoProtocol::request()});
    QCOMPARE(entries.count(), flags < 0 ? 0 : 1);
    const auto request = launches.first().first().value<LaunchRequest>();
    QCOMPARE(request.server, server.endpoint());
    QCOMPARE(request.needsPassword, needsPassword);
    QCOMPARE(request.password, linkPassword);
    QVERIFY(request.fromLink);
    QCOMPARE(statuses.last().first(),
             status.replace(QStringLiteral("PORT"), QString::number(server.port())));
}

QTEST_GUILESS_MAIN(TestLinkJoiner)
#include "tst_linkjoiner.moc"
