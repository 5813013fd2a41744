#include "core/wire/lineassembler.h"

#include <utility>

QList<QByteArray> LineAssembler::append(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        const qsizetype end = newline < 0 ? bytes.size() : newline;
        if (!m_discarding) {
            // One byte of room beyond the limit for the CR of a CR LF end.
            if (m_pending.size() + (end - start) > maxLineLength + 1) {
                m_pending = QByteArray();
                m_discarding = true;
            } else {
                m_pending.append(bytes.constData() + start, end - start);
            }
        }
        if (newline < 0)
            break;
        if (!m_discarding) {
            if (m_pending.endsWith('\r'))
                m_pending.chop(1);
            if (m_pending.size() <= maxLineLength)
                lines.append(std::exchange(m_pending, QByteArray()));
            else
                m_pending = QByteArray();
        }
        m_discarding = false;
        start = newline + 1;
    }
    return lines;
}

void LineAssembler::clear()
{
    m_pending = QByteArray();
    m_discarding = false;
}
