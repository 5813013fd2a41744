// What an IRC server sends, in whatever pieces: the assembler never hands
// out a line over its limit or with a CR or LF inside, cutting the stream
// elsewhere gives the same lines, and every line decodes and parses.
#include "core/wire/ircline.h"
#include "core/wire/lineassembler.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte says where to cut the rest in two.
    const QByteArray stream = fuzzInput(data + 1, size - 1);
    const qsizetype cut = stream.isEmpty() ? 0 : data[0] % (stream.size() + 1);

    LineAssembler whole;
    const QList<QByteArray> lines = whole.append(stream);
    LineAssembler pieces;
    QList<QByteArray> cutLines = pieces.append(stream.left(cut));
    cutLines += pieces.append(stream.mid(cut));
    FUZZ_CHECK(cutLines == lines);
    FUZZ_CHECK(whole.pendingSize() == pieces.pendingSize());

    for (const QByteArray& line : lines) {
        FUZZ_CHECK(line.size() <= LineAssembler::maxLineLength);
        FUZZ_CHECK(!line.contains('\r') && !line.contains('\n'));
        const IrcLine parsed = IrcLine::parse(line);
        FUZZ_CHECK(parsed.text == IrcLine::decode(line));
        for (const QString& param : parsed.params)
            FUZZ_CHECK(!param.contains(u'\n'));
    }
    return 0;
}
