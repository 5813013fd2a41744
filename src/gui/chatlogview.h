#pragma once

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTimer>

// The chat log: read-only, entries added at the end, the end kept in view.
// Laying out and painting the newest lines costs far more than storing them,
// so under a flood appends are gathered and written at most once per
// flushIntervalMs; an append after a quiet spell is written at once.
class ChatLogView : public QPlainTextEdit
{
    Q_OBJECT
public:
    static constexpr int flushIntervalMs = 25;

    explicit ChatLogView(QWidget* parent = nullptr);

    void replaceText(const QString& text);
    void appendText(const QString& text);
    // Writes gathered appends now, e.g. before the text is read.
    void flushPending();
    // The whole log, gathered appends included.
    QString logText();

private:
    QString m_pending;
    QTimer m_flushTimer;
    QElapsedTimer m_sinceFlush;
};
