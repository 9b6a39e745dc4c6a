// Bytes from the operating system's cryptographic random source.
#pragma once

#include <cstddef>

namespace quillvarden::platform {

// Fills size bytes; false when the system source failed (then nothing may be used).
bool fillSecureRandom(void* out, std::size_t size);

}  // namespace quillvarden::platform
