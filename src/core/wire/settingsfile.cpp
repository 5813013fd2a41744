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
    QByteArray bytes;
    // The reader skips a byte order mark at the start of the file (editors
    // write one); a first value that begins with U+FEFF is written after one.
    if (!values.isEmpty() && values.first().startsWith(QChar(0xFEFF)))
        bytes += "\xEF\xBB\xBF";
    for (const QString& value : values) {
        // The reader drops quotes that wrap a whole line; one more pair
        // keeps a value that is itself wrapped in quotes.
        if (isWrappedInQuotes(value))
            bytes += '"' + value.toUtf8() + '"';
        else
            bytes += value.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

} // namespace SettingsFile
