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
    row("plain", true, QStringLiteral("rf://127.0.0.1:7755"), E::None,
        QStringLiteral("rf://127.0.0.1:7755"));
    row("host name, scheme in capitals", true, QStringLiteral("RF://rf-eu.example.net:7755"),
        E::None, QStringLiteral("rf://rf-eu.example.net:7755"));
    row("slash", true, QStringLiteral("rf://10.0.0.1:1/"), E::None,
        QStringLiteral("rf://10.0.0.1:1"));
    row("password", true, QStringLiteral("rf://10.0.0.1:65535/?password=abc"), E::None,
        QStringLiteral("rf://10.0.0.1:65535?password=abc"));
    row("password with & and =, taken raw", true, QStringLiteral("rf://h:7755?password=a&b=c"),
        E::None, QStringLiteral("rf://h:7755?password=a&b=c"));
    row("%-encoded password", true, QStringLiteral("rf://h:7755/?password=a%20b%3f%25%C3%A9"),
        E::None, QStringLiteral("rf://h:7755?password=a b?%\u00e9"));
    row("%-encoded host and query", true,
        QStringLiteral("rf://%31%32%37.0.0.1:77%355%2F%3Fpassword%3Dx"), E::None,
        QStringLiteral("rf://127.0.0.1:7755?password=x"));
    row("encoding the host may not hold", true, QStringLiteral("rf://h%20x:7755"), E::BadHost);
    row("% without two hex digits", true, QStringLiteral("rf://h:7755?password=50%off"),
        E::BadEncoding);
    row("% at the end", true, QStringLiteral("rf://h:7755?password=a%2"), E::BadEncoding);
    row("bytes that are not UTF-8", true, QStringLiteral("rf://h:7755?password=%FF"),
        E::BadEncoding);
    row("empty password", true, QStringLiteral("rf://h:7755?password="), E::None,
        QStringLiteral("rf://h:7755"));
    row("other scheme", true, QStringLiteral("http://127.0.0.1:7755"), E::UnknownScheme);
    row("no scheme", true, QStringLiteral("127.0.0.1:7755"), E::UnknownScheme);
    row("no host", true, QStringLiteral("rf://:7755"), E::BadHost);
    row("IPv6 in brackets", true, QStringLiteral("rf://[::1]:7755"), E::BracketedHost);
    row("no port", true, QStringLiteral("rf://127.0.0.1"), E::MissingPort);
    row("port not a number", true, QStringLiteral("rf://127.0.0.1:77a5"), E::BadPort);
    row("port 0", true, QStringLiteral("rf://127.0.0.1:0"), E::PortOutOfRange);
    row("port 65536", true, QStringLiteral("rf://127.0.0.1:65536"), E::PortOutOfRange);
    row("other query", true, QStringLiteral("rf://127.0.0.1:7755?pass=x"), E::BadRest);
    row("join", false, QStringLiteral("127.0.0.1:7755"), E::None,
        QStringLiteral("rf://127.0.0.1:7755"));
    row("join, port 0", false, QStringLiteral("127.0.0.1:0"), E::PortOutOfRange);
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
