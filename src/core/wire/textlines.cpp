#include "core/wire/textlines.h"

namespace {

template <typename Text, typename Lines>
Lines splitLines(const Text& text)
{
    Lines lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (Text& line : lines) {
        while (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

} // namespace

namespace TextLines {

QList<QByteArray> split(const QByteArray& text)
{
    return splitLines<QByteArray, QList<QByteArray>>(text);
}

QStringList split(const QString& text)
{
    return splitLines<QString, QStringList>(text);
}

} // namespace TextLines
