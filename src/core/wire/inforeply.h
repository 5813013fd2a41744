#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// A game server's answer to the 4-byte info request. Texts are kept as the
// bytes the server sent (shown as Latin-1).
struct InfoReply
{
    quint8 version = 0;
    QByteArray name;
    quint8 gameType = 0;
    quint8 players = 0;
    quint8 maxPlayers = 0;
    QByteArray map;
    QByteArray mod;
    quint8 flags = 0;

    // Bits of the flags byte.
    static constexpr quint8 dedicatedFlag = 0x01;
    static constexpr quint8 notLanFlag = 0x02;
    static constexpr quint8 passwordFlag = 0x04;

    bool needsPassword() const { return flags & passwordFlag; }

    friend bool operator==(const InfoReply&, const InfoReply&) = default;
};

namespace InfoProtocol {

// The info request: exactly four zero bytes.
QByteArray request();

// The shortest datagram that is parsed; shorter ones are ignored.
inline constexpr int minimumReplySize = 10;

// Reads a reply without ever reading past its end: bytes beyond the end count
// as 0, a text with no NUL after it is empty and sends the read position back
// to offset 0. The first four bytes are not examined, nor is anything after
// the flags byte. Nothing for datagrams under 10 bytes. With `trailing`, also
// what a patched server appends after the flags byte, from the same read:
// empty when a text had no NUL or nothing follows.
std::optional<InfoReply> parseReply(const QByteArray& datagram, QByteArray* trailing = nullptr);

// A reply as servers send it: 00 01, the size of what follows the first four
// bytes (little-endian 16 bits), then the fields, then `trailing` (patched
// servers append extra bytes after the flags byte).
QByteArray encodeReply(const InfoReply& reply, const QByteArray& trailing = {});

// The version shown for a version byte: "1.0" (133), "1.1" (135), "1.2"
// (137), "1.3" (145); empty for any other byte.
QByteArray versionText(quint8 versionByte);
// "DM" (0), "CTF" (1), "TDM" (2); empty for any other byte.
QByteArray gameTypeName(quint8 gameType);
// 0 to 3 for the four known version bytes, nothing for any other.
std::optional<int> versionIndex(quint8 versionByte);

} // namespace InfoProtocol
