// The info reply a game server sends: parsing never reads past the
// datagram, a reply that parses, written out again, parses to the same
// fields and trailing bytes, and only a patch's mark names a patch.
#include "core/wire/inforeply.h"
#include "core/wire/serverpatch.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray datagram = fuzzInput(data, size);
    QByteArray trailing;
    const std::optional<InfoReply> reply = InfoProtocol::parseReply(datagram, &trailing);
    FUZZ_CHECK(reply.has_value() == (datagram.size() >= InfoProtocol::minimumReplySize));
    if (!reply)
        return 0;
    // Texts end at a NUL, so none can hold one.
    FUZZ_CHECK(!reply->name.contains('\0') && !reply->map.contains('\0') &&
               !reply->mod.contains('\0'));
    FUZZ_CHECK(reply->name.size() < datagram.size() && reply->map.size() < datagram.size() &&
               reply->mod.size() < datagram.size());

    // Written out with the bytes it carried after the flags byte, it reads
    // back the same, trailing bytes included.
    FUZZ_CHECK(trailing.size() < datagram.size());
    const QByteArray again = InfoProtocol::encodeReply(*reply, trailing);
    QByteArray trailingAgain;
    const std::optional<InfoReply> reparsed = InfoProtocol::parseReply(again, &trailingAgain);
    FUZZ_CHECK(reparsed && *reparsed == *reply);
    FUZZ_CHECK(trailingAgain == trailing);

    // A patch is named only by its mark at the start of the trailing bytes.
    if (const std::optional<ServerPatch> patch = ServerPatch::fromTrailing(trailing)) {
        const QByteArray mark = patch->kind == ServerPatch::Kind::DashFaction
                                    ? QByteArray::fromHex("c7fa58da")
                                    : QByteArray::fromHex("deadbeef");
        FUZZ_CHECK(trailing.startsWith(mark) && trailing.size() >= 6);
    }
    InfoProtocol::versionText(reply->version);
    return 0;
}
