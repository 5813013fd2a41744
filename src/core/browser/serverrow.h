#pragma once

#include <QString>
#include <QStringList>

// One line of the server list, in column order.
struct ServerRow
{
    QString server;
    QString address;
    QString map;
    QString players; // current + "/" + maximum, e.g. "5/16"
    QString version; // "1.0" to "1.3", empty for an unknown version byte
    QString mod;
    QString ping; // milliseconds

    static constexpr int columnCount = 7;
    QStringList texts() const { return {server, address, map, players, version, mod, ping}; }

    friend bool operator==(const ServerRow&, const ServerRow&) = default;
};
