// The info reply a game server sends: parsing never reads past the
// datagram, and a reply that parses, written out again, parses to the same
// fields.
#include "core/wire/inforeply.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray datagram = fuzzInput(data, size);
    const std::optional<InfoReply> reply = InfoProtocol::parseReply(datagram);
    FUZZ_CHECK(reply.has_value() == (datagram.size() >= InfoProtocol::minimumReplySize));
    if (!reply)
        return 0;
    // Texts end at a NUL, so none can hold one.
    FUZZ_CHECK(!reply->name.contains('\0') && !reply->map.contains('\0') &&
               !reply->mod.contains('\0'));
    FUZZ_CHECK(reply->name.size() < datagram.size() && reply->map.size() < datagram.size() &&
               reply->mod.size() < datagram.size());

    const QByteArray again = InfoProtocol::encodeReply(*reply);
    const std::optional<InfoReply> reparsed = InfoProtocol::parseReply(again);
    FUZZ_CHECK(reparsed && *reparsed == *reply);
    InfoProtocol::versionText(reply->version);
    return 0;
}
