// Reading what the pipeline analyses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillvarden {

// Content analysis looks at no more than the first 2 MiB of a file.
inline constexpr std::size_t kMaxContentBytes = 2 * 1024 * 1024;

// The first min(size, 2 MiB) bytes; empty when the file cannot be opened or is empty.
std::vector<std::uint8_t> readFileHead(const std::string& path);

}  // namespace quillvarden
