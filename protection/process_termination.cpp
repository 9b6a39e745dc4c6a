#include "protection/process_termination.h"

#include "platform/ascii_text.h"

namespace quillvarden {

bool isUntouchableProcess(const platform::ProcessEntry& process, platform::ProcessId self) {
    return process.pid == self || process.parentPid == self || platform::isEssentialSystemProcess(process.pid);
}

int terminateMatchingProcesses(const std::string& pathLower, const std::string& nameLower) {
    if (pathLower.empty() && nameLower.empty()) return 0;
    int ended = 0;
    for (const platform::ProcessEntry& process : platform::listProcesses()) {
        if (isUntouchableProcess(process)) continue;
        const bool nameMatches = !nameLower.empty() && toLowerAscii(process.exeName) == nameLower;
        if (!nameMatches && pathLower.empty()) continue;
        platform::ProcessHold hold(process.pid);
        bool end = false;
        if (nameMatches) {
            if (pathLower.empty()) {
                end = true;
            } else {
                // An unreadable image with the right name is ended; a different file
                // of the same name is not.
                const std::string image = toLowerAscii(hold.imagePath());
                end = image.empty() || image == pathLower;
            }
        } else {
            const std::string image = toLowerAscii(hold.imagePath());
            end = !image.empty() && image == pathLower;
        }
        if (end && hold.terminate()) ++ended;
    }
    return ended;
}

}  // namespace quillvarden
