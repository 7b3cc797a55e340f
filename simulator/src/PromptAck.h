#pragma once
// Wine's WinHTTP writes a request's headers and its body in two writes on a socket with
// Nagle's algorithm on, so the body waits until the headers are acknowledged; Linux
// delays that ACK by about 40 ms once a connection has carried a few requests. Asking
// for a quick ACK as soon as the headers are in sends it at once.
//
// The HTTP library does not hand its handlers the socket, so it is looked up by the
// connection's ports (and kept per server thread: a thread serves one connection at a time).

#include <string>

namespace sim {

// The descriptor of this process's TCP socket whose local port is localPort and whose
// peer is remoteAddr:remotePort (numeric, as the HTTP library reports them); -1 if none.
int FindConnection(int localPort, const std::string& remoteAddr, int remotePort);

// Acknowledges what the connection has received so far, now. Quietly does nothing when
// the socket is not found.
void AcknowledgePromptly(int localPort, const std::string& remoteAddr, int remotePort);

}  // namespace sim
