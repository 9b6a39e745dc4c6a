#include "platform/process_paths.h"

namespace quillvarden::platform {

std::string directoryOf(const std::string& path) {
    const auto cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string fileNameOf(const std::string& path) {
    const auto cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string executableDirectory() {
    return directoryOf(executablePath());
}

}  // namespace quillvarden::platform
