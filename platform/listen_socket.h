// Socket options for the server's listening socket.
#pragma once

#include <cstdint>

namespace quillvarden::platform {

// Lets a restarted server bind at once, but never lets two servers share a port:
// a second instance must see the port as taken.
void configureListenSocket(std::intptr_t socket);

}  // namespace quillvarden::platform
