#include "core/wire/lineassembler.h"

#include <QTest>

class TestLineAssembler : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cutAtEveryByte_data();
    void cutAtEveryByte();
    void overlongLineIsDroppedUpToItsEnd_data();
    void overlongLineIsDroppedUpToItsEnd();
    void clearForgetsUnfinishedLine();
};

using Lines = QList<QByteArray>;

void TestLineAssembler::cutAtEveryByte_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<Lines>("expected");
    QTest::addColumn<QByteArray>("leftOver");

    QTest::newRow("crlf lines") << QByteArray("PING :a\r\n:s 001 me :hi\r\n")
                                << Lines{"PING :a", ":s 001 me :hi"} << QByteArray();
    QTest::newRow("bare lf") << QByteArray("one\ntwo\n") << Lines{"one", "two"} << QByteArray();
    QTest::newRow("a cr alone ends a line")
        << QByteArray("a\rb\r\n") << Lines{"a", "b"} << QByteArray();
    QTest::newRow("cr cr lf is an empty line")
        << QByteArray("a\r\r\nb\n") << Lines{"a", "", "b"} << QByteArray();
    QTest::newRow("empty lines") << QByteArray("\r\n\nx\r\n") << Lines{"", "", "x"} << QByteArray();
    QTest::newRow("unfinished tail waits")
        << QByteArray("done\r\npart") << Lines{"done"} << QByteArray("part");
    QTest::newRow("a final cr ends its line")
        << QByteArray("done\r\nend\r") << Lines{"done", "end"} << QByteArray();
    QTest::newRow("utf-8 bytes pass unchanged")
        << QByteArray("caf\xc3\xa9\r\n\xe9t\xe9\r\n") << Lines{"caf\xc3\xa9", "\xe9t\xe9"}
        << QByteArray();
}

// The same burst, cut into two pieces at each possible place, always gives
// the same lines.
void TestLineAssembler::cutAtEveryByte()
{
    QFETCH(QByteArray, stream);
    QFETCH(Lines, expected);
    QFETCH(QByteArray, leftOver);

    for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
        LineAssembler assembler;
        Lines lines = assembler.append(stream.left(cut));
        lines += assembler.append(stream.mid(cut));
        QCOMPARE(lines, expected);
        QCOMPARE(assembler.pendingSize(), leftOver.size());
    }
    // And byte by byte.
    LineAssembler assembler;
    Lines lines;
    for (char byte : stream)
        lines += assembler.append(QByteArray(1, byte));
    QCOMPARE(lines, expected);
}

void TestLineAssembler::overlongLineIsDroppedUpToItsEnd_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("pieceSize");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QByteArray>("lineEnd");

    const int limit = int(LineAssembler::maxLineLength);
    for (const QByteArray& end : {QByteArray("\n"), QByteArray("\r\n")}) {
        const QByteArray ends = end == "\n" ? "lf" : "crlf";
        auto row = [&](const char* name, int length, int pieceSize, bool kept) {
            QTest::addRow("%s, %s", name, ends.constData()) << length << pieceSize << kept << end;
        };
        row("at the limit, one piece", limit, limit + 64, true);
        row("at the limit, small pieces", limit, 100, true);
        row("at the limit, cut before the end", limit, limit, true);
        row("at the limit, cut inside the end", limit, limit + 1, true);
        row("one over, one piece", limit + 1, limit + 64, false);
        row("one over, small pieces", limit + 1, 100, false);
        row("one over, cut before the end", limit + 1, limit + 1, false);
        row("far over, small pieces", 10 * limit, 1000, false);
    }
}

void TestLineAssembler::overlongLineIsDroppedUpToItsEnd()
{
    QFETCH(int, length);
    QFETCH(int, pieceSize);
    QFETCH(bool, kept);
    QFETCH(QByteArray, lineEnd);

    const QByteArray longLine(length, 'x');
    // The long line starts a piece, so pieceSize decides where it is cut.
    LineAssembler assembler;
    Lines lines = assembler.append("before" + lineEnd);
    const QByteArray stream = longLine + lineEnd + "after" + lineEnd;
    for (qsizetype at = 0; at < stream.size(); at += pieceSize) {
        lines += assembler.append(stream.mid(at, pieceSize));
        QVERIFY(assembler.pendingSize() <= LineAssembler::maxLineLength);
    }
    const Lines expected = kept ? Lines{"before", longLine, "after"} : Lines{"before", "after"};
    QCOMPARE(lines, expected);
}

void TestLineAssembler::clearForgetsUnfinishedLine()
{
    LineAssembler assembler;
    QVERIFY(assembler.append("half of a li").isEmpty());
    assembler.clear();
    QCOMPARE(assembler.append("next\r\n"), Lines{"next"});

    QVERIFY(assembler.append(QByteArray(LineAssembler::maxLineLength + 2, 'x')).isEmpty());
    assembler.clear();
    QCOMPARE(assembler.append("fresh\r\n"), Lines{"fresh"});
}

QTEST_GUILESS_MAIN(TestLineAssembler)
#include "tst_lineassembler.moc"
