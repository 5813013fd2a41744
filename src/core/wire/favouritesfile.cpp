#include "core/wire/favouritesfile.h"

#include "core/wire/textdecoding.h"
#include "core/wire/textlines.h"

namespace FavouritesFile {

std::optional<ServerEndpoint> parseLine(const QString& line)
{
    const QStringView address = QStringView(line).left(line.indexOf(u'#')).trimmed();
    if (address.isEmpty())
        return std::nullopt;
    return ServerEndpoint::parse(address);
}

QList<Line> parse(const QByteArray& fileText)
{
    QList<Line> lines;
    for (const QString& text : TextLines::split(decodeUtf8OrLatin1(fileText)))
        lines.append({text, parseLine(text)});
    return lines;
}

QByteArray format(const QList<Line>& lines)
{
    QString text;
    for (const Line& line : lines)
        text += line.text + u'\n';
    return encodeUtf8(text);
}

} // namespace FavouritesFile
