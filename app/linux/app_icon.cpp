#include "app/linux/app_icon.h"

#include <unistd.h>

#include <vector>

#include "platform/process_paths.h"

namespace quillvarden {

std::string appIconThemePath() {
    const std::string file = appIconFile();
    return file.empty() ? std::string() : platform::directoryOf(file);
}

std::string appIconFile() {
    const std::string executableDirectory = platform::executableDirectory();
    std::vector<std::string> candidates;
    if (!executableDirectory.empty()) {
        candidates.push_back(executableDirectory + "/icons/quillvarden.png");
        candidates.push_back(executableDirectory + "/../../app/icons/quillvarden.png");
    }
    candidates.push_back("icons/quillvarden.png");
    candidates.push_back("app/icons/quillvarden.png");
    for (const std::string& candidate : candidates) {
        if (::access(candidate.c_str(), R_OK) == 0) return candidate;
    }
    return {};
}

}  // namespace quillvarden
