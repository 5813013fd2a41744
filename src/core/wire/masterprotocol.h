#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

// One game server as the master server lists it: an IPv4 address and a UDP
// port. On the wire it is 6 bytes: the four octets, then the port big-endian.
struct ServerRecord
{
    std::array<quint8, 4> octets{};
    quint16 port = 0;

    // Dotted decimal, e.g. "192.168.1.10".
    QString address() const;
    bool operator==(const ServerRecord&) const = default;
};

// Any datagram of the master exchange, read as far as it goes. Both ends use
// it: the browser reads list parts and list ends, the test master reads list
// requests and acknowledgements.
struct MasterDatagram
{
    quint8 type = 0;
    QByteArray echo; // bytes 4..7, copied into the acknowledgement
    // List parts only; zero when the datagram ends before them.
    bool hasCounts = false; // the datagram reaches the counts (13 bytes)
    quint8 recordCount = 0;
    quint16 serverTotal = 0;
    // Only the records that the datagram holds completely.
    QList<ServerRecord> records;
};

// The UDP dialogue with the master server: list request, list parts, list
// end and the acknowledgements of both.
namespace MasterProtocol {

enum MessageType : quint8
{
    Acknowledgement = 1,
    ListRequest = 5,
    ListPart = 6,
    ListEnd = 7,
};

inline constexpr int minimumDatagramSize = 10;
inline constexpr int listPartHeaderSize = 15;
inline constexpr int recordSize = 6;
inline constexpr int maxRecordsPerPart = 255;
inline constexpr int echoSize = 4;

// 02 06 05 00 00 00 00 00 0A 00 00.
QByteArray listRequest();
// 02 06 01 00, the four echo bytes, 0A 00 00. `echo` must hold 4 bytes.
QByteArray acknowledgement(const QByteArray& echo);

// Nothing for datagrams under 10 bytes. Never reads past the end.
std::optional<MasterDatagram> parse(const QByteArray& datagram);

// What a master sends. At most 255 records per part.
QByteArray encodeListPart(const QByteArray& echo, quint16 serverTotal,
                          const QList<ServerRecord>& records);
QByteArray encodeListEnd(const QByteArray& echo);

} // namespace MasterProtocol
