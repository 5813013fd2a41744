#pragma once

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTimer>

// The chat log: read-only, entries added at the end, the end kept in view.
// Laying out and painting the newest lines costs far more than storing them,
// so under a flood appends are gathered and written at most once per
// flushIntervalMs; an append after a quiet spell is written at once.
// Qt keeps a layout object for every text block once it has been shown,
// about 300 bytes each: lines are kept linesPerBlock to a block, joined by
// line separators, which the log shows and copies as line breaks.
class ChatLogView : public QPlainTextEdit
{
    Q_OBJECT
public:
    static constexpr int flushIntervalMs = 25;
    static constexpr int linesPerBlock = 16;

    explicit ChatLogView(QWidget* parent = nullptr);

    void replaceText(const QString& text);
    void appendText(const QString& text);
    // Writes gathered appends now, e.g. before the text is read.
    void flushPending();
    // The whole log, gathered appends included.
    QString logText();

private:
    // The text with its line breaks (CR LF, CR or LF) as the log keeps them.
    QString keptText(const QString& text);
    void showEnd();

    QString m_pending;
    // Line breaks in the document's last block and the gathered appends.
    int m_linesInBlock = 0;
    QTimer m_flushTimer;
    QElapsedTimer m_sinceFlush;
};
