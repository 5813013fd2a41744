#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// The community patch a server runs, when the bytes it appends to its info
// reply after the flags byte name it: Dash Faction (C7 FA 58 DA, then its
// major and minor version) or Pure Faction (DE AD BE EF, then a 16-bit
// little-endian version).
struct ServerPatch
{
    enum class Kind
    {
        DashFaction,
        PureFaction,
    };

    Kind kind = Kind::DashFaction;
    // Dash Faction: major and minor; Pure Faction: the 16-bit version.
    quint16 major = 0;
    quint16 minor = 0;

    // Nothing when the bytes name no patch or are cut short.
    static std::optional<ServerPatch> fromTrailing(const QByteArray& trailing);
    // As players know it: "Dash Faction 1.8" or "Pure Faction" (its number
    // tells players nothing).
    QString name() const;

    friend bool operator==(const ServerPatch&, const ServerPatch&) = default;
};
