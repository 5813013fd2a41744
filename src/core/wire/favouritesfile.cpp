#include "core/wire/favouritesfile.h"

#include "core/wire/keptlines.h"

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
    return KeptLines::parse<Line>(fileText, parseLine);
}

QByteArray format(const QList<Line>& lines)
{
    return KeptLines::format(lines);
}

} // namespace FavouritesFile
