#include "core/wire/lineassembler.h"

#include <utility>

QList<QByteArray> LineAssembler::append(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    // The LF of a CR LF whose CR ended the line in the last piece.
    if (m_afterCr && !bytes.isEmpty() && bytes.front() == '\n')
        start = 1;
    m_afterCr = false;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        if (!m_discarding) {
            if (m_pending.size() + (end - start) > maxLineLength) {
                m_pending = QByteArray();
                m_discarding = true;
            } else {
                m_pending.append(bytes.constData() + start, end - start);
            }
        }
        if (end == bytes.size())
            break;
        if (!m_discarding)
            lines.append(std::exchange(m_pending, QByteArray()));
        m_discarding = false;
        start = end + 1;
        if (bytes[end] == '\r') {
            if (start == bytes.size())
                m_afterCr = true;
            else if (bytes[start] == '\n')
                ++start;
        }
    }
    return lines;
}

void LineAssembler::clear()
{
    m_pending = QByteArray();
    m_discarding = false;
    m_afterCr = false;
}
