#pragma once
// Ends idle keep-alive connections at shutdown. The HTTP server waits for each
// connection's keep-alive time-out (5 s) before its workers can be joined; closing
// the read side makes them see the end at once, while answers still being written
// (held requests released by the stop) go out intact.

namespace sim {

// Shuts down the read side of every socket of this process whose local port is
// `port` and that is not a listening socket (the connections accepted on it).
// Returns how many were shut down.
int ShutdownReadsOfAcceptedConnections(int port);

}  // namespace sim
