#include "platform/file_attributes.h"

#include <sys/stat.h>

namespace quillvarden::platform {

FileAttributes fileAttributes(const std::string& path) {
    FileAttributes attributes;
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return attributes;
    attributes.exists = true;
    attributes.isDirectory = S_ISDIR(info.st_mode);
    // Read-only in the Windows sense: nobody may write it, whoever asks (root included).
    attributes.isReadOnly = (info.st_mode & 0222) == 0;
    return attributes;
}

}  // namespace quillvarden::platform
