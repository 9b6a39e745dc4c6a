#include "platform/file_io.h"

#include <vector>

namespace quillvarden::platform {

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
