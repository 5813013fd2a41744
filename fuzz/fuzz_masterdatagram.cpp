// The master server's datagrams (list parts and the list end): parsing never
// reads past the datagram, keeps only whole records, and a list part written
// out again from what was parsed parses to the same records.
#include "core/wire/masterprotocol.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray datagram = fuzzInput(data, size);
    const std::optional<MasterDatagram> parsed = MasterProtocol::parse(datagram);
    FUZZ_CHECK(parsed.has_value() == (datagram.size() >= MasterProtocol::minimumDatagramSize));
    if (!parsed)
        return 0;
    FUZZ_CHECK(parsed->echo.size() == MasterProtocol::echoSize);
    FUZZ_CHECK(parsed->records.size() <= parsed->recordCount);
    FUZZ_CHECK(MasterProtocol::listPartHeaderSize +
                   parsed->records.size() * MasterProtocol::recordSize <=
               std::max<qsizetype>(datagram.size(), MasterProtocol::listPartHeaderSize));
    if (parsed->type != MasterProtocol::ListPart || !parsed->hasCounts)
        return 0;

    const QByteArray again =
        MasterProtocol::encodeListPart(parsed->echo, parsed->serverTotal, parsed->records);
    const std::optional<MasterDatagram> reparsed = MasterProtocol::parse(again);
    FUZZ_CHECK(reparsed && reparsed->type == MasterProtocol::ListPart);
    FUZZ_CHECK(reparsed->records == parsed->records);
    FUZZ_CHECK(reparsed->serverTotal == parsed->serverTotal && reparsed->echo == parsed->echo);
    // The acknowledgement echoes exactly the four bytes.
    FUZZ_CHECK(MasterProtocol::acknowledgement(parsed->echo).mid(4, 4) == parsed->echo);
    return 0;
}
