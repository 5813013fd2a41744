#pragma once

#include "core/wire/inforeply.h"

#include <QByteArray>

// One game server of the test network: what it answers and how.
struct TestServerProfile
{
    InfoReply info;
    int delayMs = 0;     // time between the info request and the reply
    bool silent = false; // never replies
    QByteArray trailing; // bytes after the flags byte, as patched servers send
};
