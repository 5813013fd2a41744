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
                         << QStringList{QStringLiteral("Alpha"), QStringLiteral("10.0.0.5"),
                                        QStringLiteral("ctf01"), QStringLiteral("5/16"),
                                        QStringLiteral("1.1"),   QStringLiteral(""),
                                        QStringLiteral("42")};
    QTest::newRow("1.0, host name as listed")
        << entry("rf.example.org", {133, "Old", 0, 0, 8, "dm01", "rfctf", 0}, 0)
        << QStringList{QStringLiteral("Old"),  QStringLiteral("rf.example.org"),
                       QStringLiteral("dm01"), QStringLiteral("0/8"),
                       QStringLiteral("1.0"),  QStringLiteral("rfctf"),
                       QStringLiteral("0")};
    QTest::newRow("1.2, full") << entry("10.0.0.5", {137, "Mid", 2, 32, 32, "dm02", {}, 0}, 1500)
                               << QStringList{QStringLiteral("Mid"),  QStringLiteral("10.0.0.5"),
                                              QStringLiteral("dm02"), QStringLiteral("32/32"),
                                              QStringLiteral("1.2"),  QStringLiteral(""),
                                              QStringLiteral("1500")};
    QTest::newRow("1.3, players over 99")
        << entry("10.0.0.5", {145, "New", 0, 255, 255, "dm03", {}, 0}, 7)
        << QStringList{QStringLiteral("New"),  QStringLiteral("10.0.0.5"),
                       QStringLiteral("dm03"), QStringLiteral("255/255"),
                       QStringLiteral("1.3"),  QStringLiteral(""),
                       QStringLiteral("7")};
    QTest::newRow("unknown version byte")
        << entry("10.0.0.5", {150, "", 1, 1, 4, "", {}, 0}, 3)
        << QStringList{QStringLiteral(""),    QStringLiteral("10.0.0.5"), QStringLiteral(""),
                       QStringLiteral("1/4"), QStringLiteral(""),         QStringLiteral(""),
                       QStringLiteral("3")};
    QTest::newRow("Latin-1 bytes")
        << entry("10.0.0.5", {135, "Caf\xe9 \xbb\xab", 1, 1, 2, "m\xe4p", "\xa9mod", 0}, 9)
        << QStringList{QString::fromUtf8("Café »«"), QStringLiteral("10.0.0.5"),
                       QString::fromUtf8("mäp"),     QStringLiteral("1/2"),
                       QStringLiteral("1.1"),        QString::fromUtf8("©mod"),
                       QStringLiteral("9")};
    QTest::newRow("no answer") << ServerEntry{{QStringLiteral("10.0.0.5"), 7755},
                                              {145, "Gone", 1, 1, 4, "", {}, 0},
                                              3,
                                              false}
                               << QStringList{QStringLiteral("(no answer)"),
                                              QStringLiteral("10.0.0.5"),
                                              QStringLiteral(""),
                                              QStringLiteral(""),
                                              QStringLiteral(""),
                                              QStringLiteral(""),
                                              QStringLiteral("")};
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
