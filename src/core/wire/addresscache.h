#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One address/port line pair of the address cache file.
struct CachedServer
{
    QString address; // the address line as written, without its line end
    // The port line's number without the blanks around it; nothing when the
    // line is not a number from 0 to 65535, so the reader decides what to do.
    std::optional<quint16> port;
    bool operator==(const CachedServer&) const = default;
};

// The address cache file (vnhdata.txt): two CR LF lines per server, the
// dotted address, then the port with one blank on each side (" 600 "), in the
// order the master server listed them.
namespace AddressCache {

// The two lines of one server: "192.168.1.10\r\n 600 \r\n".
QByteArray formatServer(const QString& address, quint16 port);

// The file's line pairs in order. Takes LF or CR LF line ends; an address
// line without a port line after it ends the list.
QList<CachedServer> parse(const QByteArray& fileText);

} // namespace AddressCache
