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

std::optional<std::uint32_t> permissionBits(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return static_cast<std::uint32_t>(info.st_mode & 07777);
}

bool setPermissionBits(const std::string& path, std::uint32_t bits) {
    return !path.empty() && ::chmod(path.c_str(), static_cast<mode_t>(bits & 07777)) == 0;
}

bool makeWritable(const std::string& path) {
    const auto bits = permissionBits(path);
    return bits && setPermissionBits(path, *bits | 0200);
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
