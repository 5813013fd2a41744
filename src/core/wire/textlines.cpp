#include "core/wire/textlines.h"

namespace {

// The line ends come in the text's own character type (char or char16_t).
template <typename Text, typename Lines, typename Char>
Lines splitLines(const Text& text, Char newline, Char carriageReturn)
{
    Lines lines = text.split(newline);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (Text& line : lines) {
        while (line.endsWith(carriageReturn))
            line.chop(1);
    }
    return lines;
}

} // namespace

namespace TextLines {

QList<QByteArray> split(const QByteArray& text)
{
    return splitLines<QByteArray, QList<QByteArray>>(text, '\n', '\r');
}

QStringList split(const QString& text)
{
    return splitLines<QString, QStringList>(text, u'\n', u'\r');
}

} // namespace TextLines
