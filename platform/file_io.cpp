#include "platform/file_io.h"

#include <algorithm>

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
    const std::uint64_t size = reader.size().value_or(0);
    std::string content(static_cast<std::size_t>(std::min<std::uint64_t>(size, maxBytes)), '\0');
    content.resize(reader.readFully(content.data(), content.size()));
    return content;
}

}  // namespace quillvarden::platform
