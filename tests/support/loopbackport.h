#pragma once

#include <QtGlobal>

// A port on 127.0.0.1 that nobody listens on right now: the system chose it
// for a moment and it was given back.
quint16 unusedLoopbackPort();
// The same for a UDP port on 127.0.0.1.
quint16 unusedLoopbackUdpPort();
// True when something accepts a TCP connection on 127.0.0.1 at the port.
bool loopbackPortAnswers(quint16 port);
