#include "core/wire/settingsfile.h"

#include "core/wire/textdecoding.h"

namespace SettingsFile {

QStringList parse(const QByteArray& bytes)
{
    QStringList lines = decodeUtf8OrLatin1(bytes).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the line end of the last value
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.size() >= 2 && line.startsWith(QLatin1Char('"')) && line.endsWith(QLatin1Char('"')))
            line = line.mid(1, line.size() - 2);
    }
    return lines;
}

QByteArray serialize(const QStringList& values)
{
    QByteArray bytes;
    for (const QString& value : values) {
        bytes += value.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

} // namespace SettingsFile
