#include "platform/secure_random.h"

#include <sys/random.h>

#include <cerrno>

namespace quillvarden::platform {

bool fillSecureRandom(void* out, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(out);
    while (size > 0) {
        // Blocks only until the kernel's pool is first initialised, never afterwards.
        const ssize_t got = ::getrandom(bytes, size, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace quillvarden::platform
