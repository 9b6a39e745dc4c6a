#include "server/web_root.h"

#include "platform/file_attributes.h"
#include "platform/process_paths.h"

namespace quillvarden {

std::vector<std::string> webRootCandidates(const std::string& executableDirectory, char sep) {
    const std::string s(1, sep);
    std::vector<std::string> candidates = {
        "web",
        "quillvarden" + s + "web",
        ".." + s + ".." + s + "web",
        ".." + s + "web",
    };
    if (!executableDirectory.empty()) {
        candidates.push_back(executableDirectory + s + "web");
        candidates.push_back(executableDirectory + s + ".." + s + ".." + s + "web");
    }
    return candidates;
}

std::string resolveWebRoot() {
    for (const std::string& candidate :
         webRootCandidates(platform::executableDirectory(), platform::kPathSeparator)) {
        if (platform::isDirectory(candidate)) return candidate;
    }
    return {};
}

}  // namespace quillvarden
