#include "core/wire/settingsfile.h"

#include "core/wire/textdecoding.h"
#include "core/wire/textlines.h"

namespace {

bool isWrappedInQuotes(const QString& line)
{
    return line.size() >= 2 && line.startsWith(u'"') && line.endsWith(u'"');
}

} // namespace

namespace SettingsFile {

QStringList parse(const QByteArray& bytes)
{
    QStringList lines = TextLines::split(decodeUtf8OrLatin1(bytes));
    for (QString& line : lines) {
        if (isWrappedInQuotes(line))
            line = line.mid(1, line.size() - 2);
    }
    return lines;
}

QByteArray serialize(const QStringList& values)
{
    QString text;
    for (const QString& value : values) {
        // The reader drops quotes that wrap a whole line; one more pair
        // keeps a value that is itself wrapped in quotes.
        if (isWrappedInQuotes(value))
            text += u'"' + value + u'"';
        else
            text += value;
        text += QStringLiteral("\r\n");
    }
    return encodeUtf8(text);
}

} // namespace SettingsFile
