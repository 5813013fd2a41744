#include "settings/settingsfile.h"

#include <QStringDecoder>

namespace SettingsFile {

QStringList parse(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);

    QStringList lines = text.split(QLatin1Char('\n'));
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
