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

bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0111) != 0;
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                        static_cast<std::uint64_t>(info.st_size),
                        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

}  // namespace quillvarden::platform
