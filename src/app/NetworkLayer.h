// The process's network layer. Linux sockets need no start-up; what the layer does start is the
// process-wide rule that writing to a socket the peer has closed returns an error instead of
// killing the process (SIGPIPE ignored). Main thread, at start-up and shutdown.
#pragma once

namespace orvane {

// 0 on success, -1 on failure.
int InitNetworkLayer();
void ShutdownNetworkLayer();

// The framework's socket support: true when this process can make a TCP socket at all.
bool InitSocketSupport();

}  // namespace orvane
