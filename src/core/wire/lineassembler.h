#pragma once

#include <QByteArray>
#include <QList>

// Cuts a TCP byte stream into lines. CR LF, LF or a CR alone ends a line, so
// no line handed out holds either; an unfinished line waits for the next
// bytes. A line that grows past maxLineLength bytes is dropped up to its end,
// so a peer that never ends a line cannot make us hold unbounded memory.
class LineAssembler
{
public:
    static constexpr qsizetype maxLineLength = 8192;

    // The lines that the new bytes complete, in order, without terminators.
    QList<QByteArray> append(const QByteArray& bytes);
    // Forgets any unfinished line (a new connection starts clean).
    void clear();

    qsizetype pendingSize() const { return m_pending.size(); }

private:
    QByteArray m_pending;
    bool m_discarding = false;
    bool m_afterCr = false;
};
