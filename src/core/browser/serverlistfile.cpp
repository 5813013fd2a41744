#include "core/browser/serverlistfile.h"

#include "core/wire/addresscache.h"
#include "core/wire/favouritesfile.h"

#include <algorithm>

namespace ServerListFile {

QList<ServerEndpoint> fromAddressCache(const QByteArray& fileText)
{
    QList<ServerEndpoint> servers;
    for (const CachedServer& cached : AddressCache::parse(fileText))
        servers.append({cached.address, cached.port.value_or(0)});
    return servers;
}

QList<ServerEndpoint> parse(const QByteArray& fileText)
{
    const QList<FavouritesFile::Line> lines = FavouritesFile::parse(fileText);
    const auto first = std::find_if(lines.cbegin(), lines.cend(), [](const auto& line) {
        const QString text = line.text.trimmed();
        return !text.isEmpty() && !text.startsWith(u'#');
    });
    if (first == lines.cend() || !first->server)
        return fromAddressCache(fileText);
    QList<ServerEndpoint> servers;
    for (const FavouritesFile::Line& line : lines) {
        if (line.server)
            servers.append(*line.server);
    }
    return servers;
}

} // namespace ServerListFile
