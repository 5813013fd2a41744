#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

// The pace of the lines we send, so that a server never cuts us off for
// flooding: a burst of lines goes out at once, then one each interval, in
// the order they were given (a token bucket that refills one line per
// interval up to the burst).
class SendQueue : public QObject
{
    Q_OBJECT
public:
    using Writer = std::function<void(const QByteArray&)>;

    static constexpr int defaultBurst = 5;
    static constexpr int defaultIntervalMs = 2000;

    explicit SendQueue(Writer writer, QObject* parent = nullptr);

    void setPace(int burst, int intervalMs);
    // Sends the line now if the pace allows, else when its turn comes.
    // `typed` is what the player entered, for a line that carries it;
    // `sent` runs once the line has gone out.
    void push(const QByteArray& line, const QString& typed = QString(),
              std::function<void()> sent = {});
    // Starts afresh with a full burst (a new connection) and returns what
    // the player typed in the lines that never went out.
    QStringList reset();
    qsizetype size() const { return m_lines.size(); }

private:
    struct Entry
    {
        QByteArray line;
        QString typed;
        std::function<void()> sent;
    };

    void refill();
    void drain();

    Writer m_writer;
    int m_burst = defaultBurst;
    int m_intervalMs = defaultIntervalMs;
    int m_tokens = defaultBurst;
    // When the next line of the burst comes back, on m_clock; only
    // meaningful while the bucket is not full.
    qint64 m_nextTokenAt = 0;
    QElapsedTimer m_clock;
    QTimer m_timer;
    QList<Entry> m_lines;
};
