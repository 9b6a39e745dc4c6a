// Cheap questions about a path that do not open the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillvarden::platform {

struct FileAttributes {
    bool exists = false;       // the attributes could be read
    bool isDirectory = false;
    bool isReadOnly = false;
};

FileAttributes fileAttributes(const std::string& path);

// A regular file that someone may execute (an execute permission bit). Linux programs
// carry no extension, so this is how they are known; always false on Windows, where
// the extension tells (and nothing is asked of the system).
bool isExecutableFile(const std::string& path);

// Permission bits (mode & 07777) on systems that have them; nothing on Windows.
std::optional<std::uint32_t> permissionBits(const std::string& path);
// Sets them where the system has them; true on Windows, which has none to set.
bool setPermissionBits(const std::string& path, std::uint32_t bits);
// Lets the owner write the file again (a write bit; the read-only attribute cleared).
bool makeWritable(const std::string& path);

// What makes a file the same file with the same content, as far as the system can
// tell without reading it: volume and file number, size, modification time.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> fileIdentity(const std::string& path);

inline bool isDirectory(const std::string& path) {
    const FileAttributes attributes = fileAttributes(path);
    return attributes.exists && attributes.isDirectory;
}

}  // namespace quillvarden::platform
