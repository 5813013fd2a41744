// Player-list replies as patched servers send them, several senders at
// once: a datagram is read without going past its end, names stay within
// the game's limit, a list written out again reads back the same, and the
// segments of two answers are never mixed.
#include "core/wire/playerlist.h"
#include "core/wire/playerlistassembler.h"
#include "fuzzcheck.h"

#include <QHash>
#include <QHostAddress>

namespace {

struct Key
{
    int sender;
    quint8 responseId;
    quint8 total;
    quint8 sequence;
    friend bool operator==(const Key&, const Key&) = default;
};

size_t qHash(const Key& key, size_t seed = 0)
{
    return qHashMulti(seed, key.sender, key.responseId, key.total, key.sequence);
}

void checkNames(const PlayerList& list)
{
    for (const PlayerList::Player& player : list.players) {
        FUZZ_CHECK(player.name.size() <= PlayerListProtocol::maxNameBytes);
        FUZZ_CHECK(!player.name.contains('\0'));
    }
}

// The payload is made of slices this sender sent for this answer, one for
// each sequence in order.
bool madeOfSlices(const QByteArray& payload, qsizetype at, int sender,
                  const PlayerListProtocol::Segment& last, quint8 sequence,
                  const QMultiHash<Key, QByteArray>& sent)
{
    if (sequence == last.total)
        return at == payload.size();
    const auto slices = sent.values({sender, last.responseId, last.total, sequence});
    for (const QByteArray& slice : slices) {
        if (payload.mid(at, slice.size()) == slice &&
            madeOfSlices(payload, at + slice.size(), sender, last, quint8(sequence + 1), sent))
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A sequence of datagrams: a sender byte (one of four senders), a
    // length byte, then that many bytes.
    const QByteArray input = fuzzInput(data, size);
    PlayerListAssembler assembler;
    QMultiHash<Key, QByteArray> sent;
    qsizetype at = 0;
    while (at + 2 <= input.size()) {
        const int sender = quint8(input[at]) % 4;
        const qsizetype length = std::min<qsizetype>(quint8(input[at + 1]), input.size() - at - 2);
        const QByteArray datagram = input.mid(at + 2, length);
        at += 2 + length;

        const PlayerListProtocol::Datagram parsed = PlayerListProtocol::parseDatagram(datagram);
        if (const auto* names = std::get_if<PlayerList>(&parsed)) {
            checkNames(*names);
            FUZZ_CHECK(names->form == PlayerList::Form::Names);
            const QByteArray again = PlayerListProtocol::encodeNames(*names, sender % 2);
            const PlayerListProtocol::Datagram reparsed = PlayerListProtocol::parseDatagram(again);
            FUZZ_CHECK(std::holds_alternative<PlayerList>(reparsed) &&
                       std::get<PlayerList>(reparsed) == *names);
            continue;
        }
        const auto* segment = std::get_if<PlayerListProtocol::Segment>(&parsed);
        if (!segment)
            continue;
        FUZZ_CHECK(segment->total > 0 && segment->sequence < segment->total);
        sent.insert({sender, segment->responseId, segment->total, segment->sequence},
                    segment->slice);
        const std::optional<QByteArray> payload =
            assembler.add(QHostAddress(QHostAddress::LocalHost), quint16(7755 + sender), *segment);
        FUZZ_CHECK(assembler.openAnswers() <= PlayerListAssembler::maxOpenAnswers);
        if (!payload)
            continue;
        FUZZ_CHECK(madeOfSlices(*payload, 0, sender, *segment, 0, sent));
        const std::optional<PlayerList> list = PlayerListProtocol::parseScores(*payload);
        if (!list)
            continue;
        checkNames(*list);
        // Written out in slices of another size (at most 255 of them), the
        // list reads back the same.
        const int sliceBytes = std::max<int>(1 + sender * 97, int(payload->size() / 200) + 1);
        PlayerListAssembler again;
        std::optional<QByteArray> joined;
        for (const QByteArray& part :
             PlayerListProtocol::encodeScores(*list, segment->responseId, sliceBytes)) {
            const PlayerListProtocol::Datagram read = PlayerListProtocol::parseDatagram(part);
            const auto* reparsed = std::get_if<PlayerListProtocol::Segment>(&read);
            FUZZ_CHECK(reparsed);
            joined = again.add(QHostAddress(QHostAddress::LocalHost), 1, *reparsed);
        }
        FUZZ_CHECK(joined && PlayerListProtocol::parseScores(*joined) == list);
    }
    return 0;
}
