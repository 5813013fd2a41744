#include "core/browser/servercolumns.h"

#include <array>

namespace ServerColumns {

namespace {

constexpr std::array<const char*, ColumnCount> headers{
    {"Server", "IP Address", "Map", "Players", "Version", "Mod", "Ping"}};

} // namespace

QString header(int column)
{
    if (column < 0 || column >= ColumnCount)
        return {};
    return QString::fromLatin1(headers[column]);
}

QString text(const ServerEntry& entry, int column)
{
    if (!entry.answered && column != Address)
        return column == Server ? QStringLiteral("(no answer)") : QString();
    const InfoReply& info = entry.info;
    switch (column) {
    case Server:
        return QString::fromLatin1(info.name);
    case Address:
        return entry.endpoint.host;
    case Map:
        return QString::fromLatin1(info.map);
    case Players:
        return QString::number(info.players) + u'/' + QString::number(info.maxPlayers);
    case Version:
        return QString::fromLatin1(InfoProtocol::versionText(info.version));
    case Mod:
        return QString::fromLatin1(info.mod);
    case Ping:
        return QString::number(entry.pingMs);
    }
    return {};
}

} // namespace ServerColumns
