#include "app/chatlogview.h"

#include <QTextCursor>

ChatLogView::ChatLogView(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void ChatLogView::replaceText(const QString& text)
{
    setPlainText(text);
    moveCursor(QTextCursor::End);
}

void ChatLogView::appendText(const QString& text)
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    moveCursor(QTextCursor::End);
}
