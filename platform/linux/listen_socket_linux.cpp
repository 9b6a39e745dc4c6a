#include "platform/listen_socket.h"

#include <sys/socket.h>

namespace quillvarden::platform {

void configureListenSocket(std::intptr_t socket) {
    // SO_REUSEADDR only: SO_REUSEPORT would let a second instance share the port.
    int yes = 1;
    ::setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

}  // namespace quillvarden::platform
