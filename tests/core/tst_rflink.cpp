#include "core/browser/rflink.h"

#include <QTest>

class TestRfLink : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
};

void TestRfLink::parse_data()
{
    QTest::addColumn<bool>("isLink"); // false: HOST:PORT as --join takes it
    QTest::addColumn<QString>("text");
    QTest::addColumn<RfLink::Error>("error");
    QTest::addColumn<QString>("canonical"); // the link read back; empty on an error

    using E = RfLink::Error;
    const auto row = [](const char* name, bool isLink, const QString& text, E error,
                        const QString& canonical = {}) {
        QTest::newRow(name) << isLink << text << error << canonical;
    };
    row("plain", true, "rf://127.0.0.1:7755", E::None, "rf://127.0.0.1:7755");
    row("host name, scheme in capitals", true, "RF://rf-eu.example.net:7755", E::None,
        "rf://rf-eu.example.net:7755");
    row("slash", true, "rf://10.0.0.1:1/", E::None, "rf://10.0.0.1:1");
    row("password", true, "rf://10.0.0.1:65535/?password=abc", E::None,
        "rf://10.0.0.1:65535?password=abc");
    row("password with & and =, taken raw", true, "rf://h:7755?password=a&b=c%20", E::None,
        "rf://h:7755?password=a&b=c%20");
    row("empty password", true, "rf://h:7755?password=", E::None, "rf://h:7755");
    row("other scheme", true, "http://127.0.0.1:7755", E::UnknownScheme);
    row("no scheme", true, "127.0.0.1:7755", E::UnknownScheme);
    row("no host", true, "rf://:7755", E::BadHost);
    row("IPv6 in brackets", true, "rf://[::1]:7755", E::BracketedHost);
    row("no port", true, "rf://127.0.0.1", E::MissingPort);
    row("port not a number", true, "rf://127.0.0.1:77a5", E::BadPort);
    row("port 0", true, "rf://127.0.0.1:0", E::PortOutOfRange);
    row("port 65536", true, "rf://127.0.0.1:65536", E::PortOutOfRange);
    row("other query", true, "rf://127.0.0.1:7755?pass=x", E::BadRest);
    row("join", false, "127.0.0.1:7755", E::None, "rf://127.0.0.1:7755");
    row("join, port 0", false, "127.0.0.1:0", E::PortOutOfRange);
}

void TestRfLink::parse()
{
    QFETCH(bool, isLink);
    QFETCH(QString, text);
    QFETCH(RfLink::Error, error);
    QFETCH(QString, canonical);

    RfLink::Error why = RfLink::Error::BadRest;
    const std::optional<RfLink> link =
        isLink ? RfLink::parse(text, &why) : RfLink::parseAddress(text, &why);
    QCOMPARE(why, error);
    QCOMPARE(link ? link->text() : QString(), canonical);
}

QTEST_APPLESS_MAIN(TestRfLink)
#include "tst_rflink.moc"
