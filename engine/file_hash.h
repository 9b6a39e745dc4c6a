// Whole-file digests as lower-case hex.
#pragma once

#include <cstddef>
#include <string>

namespace quillvarden {

// algorithm: "SHA256", "MD5" or "SHA1"; digestLength: 32, 16 or 20 bytes. The digest
// of the whole file as 2 * digestLength hex characters, or "" on any failure.
std::string hashFile(const std::string& path, const std::string& algorithm, std::size_t digestLength);

}  // namespace quillvarden
