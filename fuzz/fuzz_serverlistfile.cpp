// A file of servers given to varnholt-query: it reads as one of the two
// forms the program writes, never a mix, and no server it names has port 0
// unless the address cache's form gave it.
#include "core/browser/serverlistfile.h"
#include "core/wire/favouritesfile.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text = fuzzInput(data, size);
    const QList<ServerEndpoint> servers = ServerListFile::parse(text);
    const QList<ServerEndpoint> cache = ServerListFile::fromAddressCache(text);
    QList<ServerEndpoint> favourites;
    for (const FavouritesFile::Line& line : FavouritesFile::parse(text)) {
        if (line.server)
            favourites.append(*line.server);
    }
    FUZZ_CHECK(servers == cache || servers == favourites);
    if (servers != cache) {
        for (const ServerEndpoint& server : servers)
            FUZZ_CHECK(server.port != 0 && !server.host.isEmpty());
    }
    return 0;
}
