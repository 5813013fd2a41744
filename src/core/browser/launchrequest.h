#pragma once

#include "core/browser/serverentry.h"
#include "core/wire/serverendpoint.h"

#include <QMetaType>
#include <QString>

// A server to start the game on: where it was asked (the address as the list
// shows it), whether its reply asks for a password, and a password that came
// with a link.
struct LaunchRequest
{
    ServerEndpoint server;
    bool needsPassword = false;
    // From a link; empty for none.
    QString password;
    // The server was named from outside the program (a link), so the start
    // question names its address and port.
    bool fromLink = false;

    static LaunchRequest fromEntry(const ServerEntry& entry)
    {
        return {entry.endpoint, entry.info.needsPassword(), {}, false};
    }
};

Q_DECLARE_METATYPE(LaunchRequest)
