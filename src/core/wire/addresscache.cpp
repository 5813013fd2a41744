#include "core/wire/addresscache.h"

#include "core/wire/portnumber.h"
#include "core/wire/textlines.h"

namespace AddressCache {

QByteArray formatServer(const QString& address, quint16 port)
{
    return address.toLatin1() + "\r\n " + QByteArray::number(port) + " \r\n";
}

QList<CachedServer> parse(const QByteArray& fileText)
{
    const QList<QByteArray> lines = TextLines::split(fileText);
    QList<CachedServer> servers;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2)
        servers.append({QString::fromLatin1(lines[i]),
                        PortNumber::parse(QString::fromLatin1(lines[i + 1]), true)});
    return servers;
}

} // namespace AddressCache
