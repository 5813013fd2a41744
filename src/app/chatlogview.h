#pragma once

#include <QPlainTextEdit>

// The chat log: read-only, entries added at the end, the end kept in view.
class ChatLogView : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit ChatLogView(QWidget* parent = nullptr);

    void replaceText(const QString& text);
    void appendText(const QString& text);
};
