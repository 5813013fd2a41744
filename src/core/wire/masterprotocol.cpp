#include "core/wire/masterprotocol.h"

namespace {

QByteArray header(quint8 type, const QByteArray& echo)
{
    Q_ASSERT(echo.size() == MasterProtocol::echoSize);
    QByteArray bytes;
    bytes += '\x02';
    bytes += '\x06';
    bytes += char(type);
    bytes += '\0';
    bytes += echo.left(MasterProtocol::echoSize);
    return bytes;
}

// Client datagrams carry 0A 00 00 after the echo.
QByteArray clientDatagram(quint8 type, const QByteArray& echo)
{
    return header(type, echo) + QByteArray("\x0a\x00\x00", 3);
}

quint8 byteAt(const QByteArray& bytes, qsizetype at)
{
    return quint8(bytes[at]);
}

} // namespace

QString ServerRecord::address() const
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(octets[0])
        .arg(octets[1])
        .arg(octets[2])
        .arg(octets[3]);
}

namespace MasterProtocol {

QByteArray listRequest()
{
    return clientDatagram(ListRequest, QByteArray(echoSize, '\0'));
}

QByteArray acknowledgement(const QByteArray& echo)
{
    return clientDatagram(Acknowledgement, echo);
}

std::optional<MasterDatagram> parse(const QByteArray& datagram)
{
    if (datagram.size() < minimumDatagramSize)
        return std::nullopt;
    MasterDatagram parsed;
    parsed.type = byteAt(datagram, 2);
    parsed.echo = datagram.mid(4, echoSize);
    if (parsed.type != ListPart || datagram.size() < 13)
        return parsed;

    parsed.hasCounts = true;
    parsed.recordCount = byteAt(datagram, 10);
    parsed.serverTotal = quint16(byteAt(datagram, 11) | byteAt(datagram, 12) << 8);
    const qsizetype complete = (datagram.size() - listPartHeaderSize) / recordSize;
    const qsizetype count =
        std::min<qsizetype>(parsed.recordCount, std::max<qsizetype>(0, complete));
    for (qsizetype k = 0; k < count; ++k) {
        const qsizetype at = listPartHeaderSize + recordSize * k;
        ServerRecord record;
        for (int i = 0; i < 4; ++i)
            record.octets[i] = byteAt(datagram, at + i);
        record.port = quint16(byteAt(datagram, at + 4) << 8 | byteAt(datagram, at + 5));
        parsed.records.append(record);
    }
    return parsed;
}

QByteArray encodeListPart(const QByteArray& echo, quint16 serverTotal,
                          const QList<ServerRecord>& records)
{
    Q_ASSERT(records.size() <= maxRecordsPerPart);
    QByteArray bytes = header(ListPart, echo);
    bytes += '\0';
    bytes += '\0';
    bytes += char(records.size());
    bytes += char(serverTotal & 0xff);
    bytes += char(serverTotal >> 8);
    bytes += '\0';
    bytes += '\0';
    for (const ServerRecord& record : records) {
        for (quint8 octet : record.octets)
            bytes += char(octet);
        bytes += char(record.port >> 8);
        bytes += char(record.port & 0xff);
    }
    return bytes;
}

QByteArray encodeListEnd(const QByteArray& echo)
{
    return header(ListEnd, echo) + QByteArray(2, '\0');
}

} // namespace MasterProtocol
