#include "platform/directory_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

namespace quillvarden::platform {

bool listDirectory(const std::string& path, std::vector<DirectoryEntry>& entries) {
    DIR* dir = path.empty() ? nullptr : ::opendir(path.c_str());
    if (!dir) return false;
    const std::string prefix = path.back() == '/' ? path : path + "/";
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        DirectoryEntry item;
        item.name = entry->d_name;
        if (entry->d_type == DT_DIR) {
            item.isDirectory = true;
        } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            item.isDirectory = ::stat((prefix + item.name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        entries.push_back(std::move(item));
    }
    ::closedir(dir);
    return true;
}

std::optional<DirectoryIdentity> directoryIdentity(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
    return DirectoryIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace quillvarden::platform
