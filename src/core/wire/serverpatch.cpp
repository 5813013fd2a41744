#include "core/wire/serverpatch.h"

std::optional<ServerPatch> ServerPatch::fromTrailing(const QByteArray& trailing)
{
    static const QByteArray dashFactionMark = QByteArray::fromHex("c7fa58da");
    static const QByteArray pureFactionMark = QByteArray::fromHex("deadbeef");
    if (trailing.size() < 6)
        return std::nullopt;
    const quint8 first = quint8(trailing[4]);
    const quint8 second = quint8(trailing[5]);
    if (trailing.startsWith(dashFactionMark))
        return ServerPatch{Kind::DashFaction, first, second};
    if (trailing.startsWith(pureFactionMark))
        return ServerPatch{Kind::PureFaction, quint16(first | (second << 8)), 0};
    return std::nullopt;
}

QString ServerPatch::name() const
{
    if (kind == Kind::PureFaction)
        return QStringLiteral("Pure Faction");
    return QStringLiteral("Dash Faction %1.%2").arg(major).arg(minor);
}
