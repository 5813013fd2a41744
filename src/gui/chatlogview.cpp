#include "gui/chatlogview.h"

#include <QScrollBar>
#include <QTextCursor>

ChatLogView::ChatLogView(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_flushTimer.setSingleShot(true);
    connect(&m_flushTimer, &QTimer::timeout, this, &ChatLogView::flushPending);
}

void ChatLogView::replaceText(const QString& text)
{
    m_flushTimer.stop();
    m_pending.clear();
    m_linesInBlock = 0;
    setPlainText(keptText(text));
    showEnd();
    m_sinceFlush.start();
}

void ChatLogView::appendText(const QString& text)
{
    m_pending += keptText(text);
    if (m_flushTimer.isActive())
        return;
    const qint64 since = m_sinceFlush.isValid() ? m_sinceFlush.elapsed() : flushIntervalMs;
    if (since >= flushIntervalMs)
        flushPending();
    else
        m_flushTimer.start(int(flushIntervalMs - since));
}

void ChatLogView::flushPending()
{
    m_flushTimer.stop();
    m_sinceFlush.start();
    if (m_pending.isEmpty())
        return;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(m_pending);
    m_pending.clear();
    showEnd();
}

void ChatLogView::showEnd()
{
    moveCursor(QTextCursor::End);
    // Scrolling to the caret may stop a line short of the end when the last
    // block holds several lines.
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

QString ChatLogView::keptText(const QString& text)
{
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n') {
            kept += c;
            continue;
        }
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        if (++m_linesInBlock < linesPerBlock) {
            kept += QChar(QChar::LineSeparator);
        } else {
            kept += u'\n';
            m_linesInBlock = 0;
        }
    }
    return kept;
}

QString ChatLogView::logText()
{
    flushPending();
    return toPlainText();
}
