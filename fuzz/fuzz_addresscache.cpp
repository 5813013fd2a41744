// The address cache file (two lines a server): reading any file gives whole
// lines without line ends, and servers written in the file's format read
// back as they were.
#include "core/wire/addresscache.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text = fuzzInput(data, size);
    const QList<CachedServer> servers = AddressCache::parse(text);
    FUZZ_CHECK(servers.size() <= text.count('\n') / 2 + 1);
    QByteArray written;
    QList<CachedServer> writable;
    for (const CachedServer& server : servers) {
        FUZZ_CHECK(!server.address.contains(u'\n'));
        if (server.port && !server.address.contains(u'\r'))
            writable.append(server);
    }
    for (const CachedServer& server : writable)
        written += AddressCache::formatServer(server.address, *server.port);
    // Written as Latin-1, as it was read.
    const QList<CachedServer> reread = AddressCache::parse(written);
    FUZZ_CHECK(reread == writable);
    return 0;
}
