#include "gui/chatlogview.h"

#include <QScrollBar>
#include <QTest>

class TestChatLogView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void appendAfterQuietIsWrittenAtOnce();
    void floodIsGatheredThenWritten();
    void replaceDropsGatheredAppends();
    void endStaysInView();

private:
    ChatLogView* m_log = nullptr;
};

void TestChatLogView::init()
{
    m_log = new ChatLogView;
    m_log->resize(300, 100);
    m_log->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_log));
    QVERIFY(m_log->isReadOnly());
}

void TestChatLogView::cleanup()
{
    delete m_log;
}

void TestChatLogView::appendAfterQuietIsWrittenAtOnce()
{
    // Nothing written yet: the first entry goes straight into the document.
    m_log->appendText(QStringLiteral("bob: hi\r\n"));
    QCOMPARE(m_log->toPlainText(), QStringLiteral("bob: hi\n"));
}

void TestChatLogView::floodIsGatheredThenWritten()
{
    m_log->replaceText(QStringLiteral("Disconnected"));
    m_log->appendText(QStringLiteral("a\r\n"));
    m_log->appendText(QStringLiteral("b\r\n"));
    // Within the interval of the replace: gathered, not yet in the document.
    QCOMPARE(m_log->toPlainText(), QStringLiteral("Disconnected"));
    QTRY_COMPARE_WITH_TIMEOUT(m_log->toPlainText(), QStringLiteral("Disconnecteda\nb\n"),
                              10 * ChatLogView::flushIntervalMs);
    m_log->appendText(QStringLiteral("c\r\n"));
    m_log->appendText(QStringLiteral("d\r\n"));
    QCOMPARE(m_log->logText(), QStringLiteral("Disconnecteda\nb\nc\nd\n"));
}

void TestChatLogView::replaceDropsGatheredAppends()
{
    m_log->replaceText(QStringLiteral("x\r\n"));
    m_log->appendText(QStringLiteral("lost\r\n"));
    m_log->replaceText(QStringLiteral("Disconnected"));
    QCOMPARE(m_log->logText(), QStringLiteral("Disconnected"));
    // The timed write after the replace carries only what came after it.
    m_log->appendText(QStringLiteral("z\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(m_log->toPlainText(), QStringLiteral("Disconnectedz\n"),
                              10 * ChatLogView::flushIntervalMs);
}

void TestChatLogView::endStaysInView()
{
    m_log->replaceText(QString());
    for (int i = 0; i < 200; ++i)
        m_log->appendText(QStringLiteral("line %1\r\n").arg(i));
    m_log->flushPending();
    // Every line reads back whole and in order, across the blocks that keep them.
    const QStringList lines = m_log->toPlainText().split(u'\n');
    QCOMPARE(lines.size(), 201);
    QCOMPARE(lines.at(0), QStringLiteral("line 0"));
    QCOMPARE(lines.at(199), QStringLiteral("line 199"));
    QCOMPARE(m_log->textCursor().position(), m_log->document()->characterCount() - 1);
    // Scrolled: the caret at the end is inside the visible area.
    QVERIFY(m_log->verticalScrollBar()->value() > 0);
    QVERIFY(m_log->viewport()->rect().contains(m_log->cursorRect()));
}

QTEST_MAIN(TestChatLogView)
#include "tst_chatlogview.moc"
