#pragma once

#include "core/wire/inforeply.h"
#include "core/wire/serverendpoint.h"
#include "core/wire/serverpatch.h"

#include <QMetaType>

#include <optional>

// One server as the browser knows it after asking: where it was asked, what
// it answered and how long the answer took, or that it did not answer in
// its time (then only the endpoint means anything). The windows make the
// texts.
struct ServerEntry
{
    ServerEndpoint endpoint;
    InfoReply info;
    qint64 pingMs = 0;
    bool answered = true;
    // What the reply's trailing bytes name, if anything.
    std::optional<ServerPatch> patch = std::nullopt;

    friend bool operator==(const ServerEntry&, const ServerEntry&) = default;
};

Q_DECLARE_METATYPE(ServerEntry)
