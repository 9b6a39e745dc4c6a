#include "platform/listen_socket.h"

#include <winsock2.h>

namespace quillvarden::platform {

void configureListenSocket(std::intptr_t socket) {
    // Exclusive use only. SO_REUSEADDR would let another process bind the same port,
    // and with it set SO_EXCLUSIVEADDRUSE is refused.
    BOOL yes = TRUE;
    setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
               reinterpret_cast<const char*>(&yes), sizeof yes);
}

}  // namespace quillvarden::platform
