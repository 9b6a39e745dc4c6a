#include "platform/system_folders.h"

namespace quillvarden::platform {

std::string windowsDirectory() { return {}; }

std::vector<std::string> nativeSystemFolders() {
    // The package-managed homes of the system's own programs and libraries, the
    // counterpart of System32 and its siblings. /usr/local and /opt hold what users
    // install themselves and are not among them.
    return {"/usr/bin/", "/usr/sbin/", "/usr/lib/", "/usr/lib32/", "/usr/lib64/", "/usr/libexec/",
            "/bin/",     "/sbin/",     "/lib/",     "/lib32/",     "/lib64/"};
}

}  // namespace quillvarden::platform
