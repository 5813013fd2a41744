#include "core/chat/sendqueue.h"

#include <algorithm>
#include <utility>

SendQueue::SendQueue(Writer writer, QObject* parent) : QObject(parent), m_writer(std::move(writer))
{
    m_clock.start();
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SendQueue::drain);
}

void SendQueue::setPace(int burst, int intervalMs)
{
    m_burst = std::max(1, burst);
    m_intervalMs = std::max(1, intervalMs);
    m_tokens = std::min(m_tokens, m_burst);
}

void SendQueue::push(const QByteArray& line, const QString& typed, std::function<void()> sent)
{
    m_lines.append(Entry{line, typed, std::move(sent)});
    drain();
}

QStringList SendQueue::reset()
{
    QStringList unsent;
    for (const Entry& entry : std::as_const(m_lines)) {
        if (!entry.typed.isEmpty())
            unsent.append(entry.typed);
    }
    m_lines.clear();
    m_timer.stop();
    m_tokens = m_burst;
    return unsent;
}

void SendQueue::refill()
{
    if (m_tokens >= m_burst)
        return;
    const qint64 now = m_clock.elapsed();
    if (now < m_nextTokenAt)
        return;
    const qint64 earned = 1 + (now - m_nextTokenAt) / m_intervalMs;
    m_tokens = int(std::min<qint64>(m_burst, m_tokens + earned));
    m_nextTokenAt += earned * m_intervalMs;
}

void SendQueue::drain()
{
    refill();
    while (!m_lines.isEmpty() && m_tokens > 0) {
        if (m_tokens == m_burst)
            m_nextTokenAt = m_clock.elapsed() + m_intervalMs;
        --m_tokens;
        Entry entry = m_lines.takeFirst();
        m_writer(entry.line);
        if (entry.sent)
            entry.sent();
    }
    if (!m_lines.isEmpty())
        m_timer.start(int(std::max<qint64>(0, m_nextTokenAt - m_clock.elapsed())));
}
