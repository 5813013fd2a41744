#pragma once

#include "core/wire/inforeply.h"

#include <QByteArray>

// Hand-made info replies, byte for byte, for the parser's tests and for the
// querier's and the browser's tests on loopback.
namespace InfoReplyExamples {

// A well-formed reply as servers send it.
inline QByteArray reply(quint8 version, const QByteArray& name, quint8 gameType, quint8 players = 3,
                        quint8 maxPlayers = 8, const QByteArray& map = "dm01",
                        const QByteArray& mod = {})
{
    return InfoProtocol::encodeReply({version, name, gameType, players, maxPlayers, map, mod, 0});
}

// 00 00 00 00 87 "Alpha" 00 01 05 10 "ctf01" 00 00 00: version 135, game type
// 1, 5 of 16 players, map ctf01, no mod, flags 0.
inline const QByteArray alpha = QByteArray::fromHex("00000000"
                                                    "87"
                                                    "416c70686100"
                                                    "01"
                                                    "05"
                                                    "10"
                                                    "637466303100"
                                                    "00"
                                                    "00");

// Byte 5 is NUL: an empty name; game type 2 from byte 6, 7 of 12, map "map".
inline const QByteArray emptyName = QByteArray::fromHex("00000000"
                                                        "85"
                                                        "00"
                                                        "02"
                                                        "07"
                                                        "0c"
                                                        "6d617000"
                                                        "00"
                                                        "00");

// No NUL after offset 4: the read position goes back to offset 0, so game
// type 1 and 2 of 3 players come from bytes 0 to 2.
inline const QByteArray noNul = QByteArray::fromHex("010203ff"
                                                    "89"
                                                    "4e6f4e756c4e");

// Exactly 10 bytes: name "A", game type 1, 5 of 16; the texts lie beyond the end.
inline const QByteArray tenBytes = QByteArray::fromHex("00000000"
                                                       "87"
                                                       "4100"
                                                       "01"
                                                       "05"
                                                       "10");

// 10 bytes whose map has no NUL: empty name, game type 2, 7 of 12, empty map.
inline const QByteArray tenBytesMapWithoutNul = QByteArray::fromHex("00000000"
                                                                    "85"
                                                                    "00"
                                                                    "02"
                                                                    "07"
                                                                    "0c"
                                                                    "41");

} // namespace InfoReplyExamples
