#include "core/wire/serverendpoint.h"

#include "core/wire/portnumber.h"

std::optional<ServerEndpoint> ServerEndpoint::parse(QStringView text)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0)
        return std::nullopt;
    const QStringView host = text.left(colon);
    for (const QChar c : host) {
        if (c == u':' || c.isSpace() || c.category() == QChar::Other_Control)
            return std::nullopt;
    }
    const std::optional<quint16> port = PortNumber::parse(text.mid(colon + 1), false);
    if (!port)
        return std::nullopt;
    return ServerEndpoint{host.toString(), *port};
}
