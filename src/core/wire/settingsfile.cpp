#include "core/wire/settingsfile.h"

#include "core/wire/textdecoding.h"
#include "core/wire/textlines.h"

namespace SettingsFile {

QStringList parse(const QByteArray& bytes)
{
    QStringList lines = TextLines::split(decodeUtf8OrLatin1(bytes));
    for (QString& line : lines) {
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
