#include "core/wire/serverendpoint.h"

#include <QTest>

class TestServerEndpoint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parseAndText_data()
    {
        QTest::addColumn<QString>("text");
        // Empty: the text is no endpoint.
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("dotted address") << "127.0.0.1:7755"
                                        << "127.0.0.1" << 7755;
        QTest::newRow("host name, largest port") << "rf.example.org:65535"
                                                 << "rf.example.org" << 65535;
        QTest::newRow("port 0") << "127.0.0.1:0"
                                << "" << 0;
        QTest::newRow("port too large") << "127.0.0.1:65536"
                                        << "" << 0;
        QTest::newRow("no port") << "127.0.0.1"
                                 << "" << 0;
        QTest::newRow("no host") << ":7755"
                                 << "" << 0;
        QTest::newRow("IPv6 address") << "::1:7755"
                                      << "" << 0;
        QTest::newRow("blank in host") << "rf example:7755"
                                       << "" << 0;
    }
    void parseAndText()
    {
        QFETCH(QString, text);
        QFETCH(QString, host);
        QFETCH(int, port);
        const std::optional<ServerEndpoint> parsed = ServerEndpoint::parse(text);
        QCOMPARE(parsed.has_value(), !host.isEmpty());
        if (parsed) {
            QCOMPARE(parsed->host, host);
            QCOMPARE(int(parsed->port), port);
            QCOMPARE(parsed->text(), text);
        }
    }
};

QTEST_APPLESS_MAIN(TestServerEndpoint)
#include "tst_serverendpoint.moc"
