#pragma once

#include <QString>

#include <functional>
#include <optional>

// What the chat reads of the player's settings. The session asks for it anew
// at each use (an attempt, a line, a loss), so a change made while connected
// counts from the next use on.
struct ChatSettings
{
    QString host;
    std::optional<quint16> port;
    // Why there is no port, for the status line.
    QString portProblem;
    QString nickname;
    QString userName;
    QString channel;
    bool tls = false;
    // Extra certificates to trust, or empty.
    QString caFile;
    bool reconnect = false;
};

using ChatSettingsSource = std::function<ChatSettings()>;
