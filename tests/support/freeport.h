#pragma once

#include <QtGlobal>

// A UDP port on 127.0.0.1 that nothing uses at the moment of the call.
quint16 freeUdpPort();
