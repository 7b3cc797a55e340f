#pragma once
// Ends idle keep-alive connections at shutdown. The HTTP server waits for each
// connection's keep-alive time-out (5 s) before its workers can be joined; closing
// the read side makes them see the end at once, while answers still being written
// (held requests released by the stop) go out intact.

#include <vector>

namespace sim {

// The sockets of this process whose local port is `port` and that are not listening
// sockets: the connections accepted on it.
std::vector<int> AcceptedConnections(int port);

// Shuts down the read side of each of AcceptedConnections(port). Returns how many were
// shut down.
int ShutdownReadsOfAcceptedConnections(int port);

}  // namespace sim
