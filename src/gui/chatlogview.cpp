#include "gui/chatlogview.h"

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
    setPlainText(text);
    moveCursor(QTextCursor::End);
    m_sinceFlush.start();
}

void ChatLogView::appendText(const QString& text)
{
    m_pending += text;
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
    moveCursor(QTextCursor::End);
}

QString ChatLogView::logText()
{
    flushPending();
    return toPlainText();
}
