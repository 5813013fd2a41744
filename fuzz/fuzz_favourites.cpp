// The favourites file: every line is kept as written, a line's server is
// what its text says, and a file written out again reads back the same.
#include "core/wire/favouritesfile.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<FavouritesFile::Line> lines = FavouritesFile::parse(fuzzInput(data, size));
    for (const FavouritesFile::Line& line : lines) {
        FUZZ_CHECK(!line.text.contains(u'\n'));
        FUZZ_CHECK(line.server == FavouritesFile::parseLine(line.text));
        if (line.server)
            FUZZ_CHECK(line.server->port >= 1 && !line.server->host.isEmpty());
    }
    FUZZ_CHECK(FavouritesFile::parse(FavouritesFile::format(lines)) == lines);
    return 0;
}
