// Whole-file digests, streamed in 64 KiB chunks so any size takes constant memory.
#pragma once

#include <string>
#include <vector>

namespace quillvarden::platform {

enum class DigestAlgorithm { Sha256, Md5, Sha1 };

// The raw digest bytes, or empty on any failure (unreadable file included).
std::vector<unsigned char> digestFile(const std::string& path, DigestAlgorithm algorithm);

}  // namespace quillvarden::platform
