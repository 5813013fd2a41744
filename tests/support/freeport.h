#pragma once

#include <QtGlobal>

// Ports that nothing uses at the moment of the call, for the tests, the
// benchmarks and the tools that start servers: UDP on every IPv4 address
// (as the program binds its local ports), TCP on 127.0.0.1.
quint16 freeUdpPort();
quint16 freeTcpPort();
