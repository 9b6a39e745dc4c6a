#include "platform/file_io.h"

#include <vector>

namespace quillvarden::platform {

std::size_t FileReader::readFully(void* buffer, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t filled = 0;
    while (filled < size) {
        const std::size_t got = read(bytes + filled, size - filled);
        if (got == 0) break;
        filled += got;
    }
    return filled;
}

std::optional<std::string> readFilePrefix(const std::string& path, std::size_t maxBytes) {
    FileReader reader;
    if (!reader.open(path)) return std::nullopt;
    std::string content;
    std::vector<char> chunk(64 * 1024);
    while (content.size() < maxBytes) {
        const std::size_t want = std::min(chunk.size(), maxBytes - content.size());
        const std::size_t got = reader.read(chunk.data(), want);
        if (got == 0) break;
        content.append(chunk.data(), got);
    }
    return content;
}

}  // namespace quillvarden::platform
