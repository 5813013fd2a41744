#include "gui/serverlistmodel.h"

#include <QTest>

class TestServerListModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void columnTexts_data();
    void columnTexts();
};

void TestServerListModel::columnTexts_data()
{
    QTest::addColumn<ServerEntry>("entry");
    QTest::addColumn<QStringList>("texts");

    const auto entry = [](const char* host, InfoReply info, qint64 pingMs) {
        return ServerEntry{{QString::fromLatin1(host), 7755}, info, pingMs};
    };
    QTest::newRow("1.1") << entry("10.0.0.5", {135, "Alpha", 1, 5, 16, "ctf01", {}, 0}, 42)
                         << QStringList{"Alpha", "10.0.0.5", "ctf01", "5/16", "1.1", "", "42"};
    QTest::newRow("1.0, host name as listed")
        << entry("rf.example.org", {133, "Old", 0, 0, 8, "dm01", "rfctf", 0}, 0)
        << QStringList{"Old", "rf.example.org", "dm01", "0/8", "1.0", "rfctf", "0"};
    QTest::newRow("1.2, full") << entry("10.0.0.5", {137, "Mid", 2, 32, 32, "dm02", {}, 0}, 1500)
                               << QStringList{"Mid", "10.0.0.5", "dm02", "32/32",
                                              "1.2", "",         "1500"};
    QTest::newRow("1.3, players over 99")
        << entry("10.0.0.5", {145, "New", 0, 255, 255, "dm03", {}, 0}, 7)
        << QStringList{"New", "10.0.0.5", "dm03", "255/255", "1.3", "", "7"};
    QTest::newRow("unknown version byte") << entry("10.0.0.5", {150, "", 1, 1, 4, "", {}, 0}, 3)
                                          << QStringList{"", "10.0.0.5", "", "1/4", "", "", "3"};
    QTest::newRow("Latin-1 bytes")
        << entry("10.0.0.5", {135, "Caf\xe9 \xbb\xab", 1, 1, 2, "m\xe4p", "\xa9mod", 0}, 9)
        << QStringList{
               QString::fromUtf8("Café »«"), "10.0.0.5", QString::fromUtf8("mäp"), "1/2", "1.1",
               QString::fromUtf8("©mod"),    "9"};
    QTest::newRow("no answer") << ServerEntry{{"10.0.0.5", 7755},
                                              {145, "Gone", 1, 1, 4, "", {}, 0},
                                              3,
                                              false}
                               << QStringList{"(no answer)", "10.0.0.5", "", "", "", "", ""};
}

void TestServerListModel::columnTexts()
{
    QFETCH(ServerEntry, entry);
    QFETCH(QStringList, texts);
    ServerListModel model;
    model.append({});
    model.append(entry);

    QCOMPARE(model.columnCount(), texts.size());
    for (int column = 0; column < texts.size(); ++column)
        QCOMPARE(model.index(1, column).data().toString(), texts[column]);
    // Only a server that did not answer is drawn grey.
    QCOMPARE(model.index(1, 0).data(Qt::ForegroundRole).isValid(), !entry.answered);
}

QTEST_GUILESS_MAIN(TestServerListModel)
#include "tst_serverlistmodel.moc"
