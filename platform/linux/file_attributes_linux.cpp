#include "platform/file_attributes.h"

#include <sys/stat.h>
#include <unistd.h>

namespace quillvarden::platform {

FileAttributes fileAttributes(const std::string& path) {
    FileAttributes attributes;
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return attributes;
    attributes.exists = true;
    attributes.isDirectory = S_ISDIR(info.st_mode);
    attributes.isReadOnly = ::access(path.c_str(), W_OK) != 0;
    return attributes;
}

}  // namespace quillvarden::platform
