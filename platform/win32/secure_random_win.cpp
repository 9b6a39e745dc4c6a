#include "platform/secure_random.h"

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>

namespace quillvarden::platform {

bool fillSecureRandom(void* out, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(out);
    while (size > 0) {
        const ULONG chunk = static_cast<ULONG>(std::min<std::size_t>(size, 1u << 20));
        if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, bytes, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG))) return false;
        bytes += chunk;
        size -= chunk;
    }
    return true;
}

}  // namespace quillvarden::platform
