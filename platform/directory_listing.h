// Listing directories by UTF-8 path.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillvarden::platform {

struct DirectoryEntry {
    std::string name;  // UTF-8, no directory part
    // A directory, or a link to one (links are entered like the directories they name).
    bool isDirectory = false;
};

// The entries other than "." and "..", in the order the file system gives them.
// False when the directory cannot be listed.
bool listDirectory(const std::string& path, std::vector<DirectoryEntry>& entries);

// What makes a directory the same directory under any of its names (volume and file
// number); nothing when the system cannot tell. Walks use it to stop at link cycles.
struct DirectoryIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const DirectoryIdentity&) const = default;
};
std::optional<DirectoryIdentity> directoryIdentity(const std::string& path);

}  // namespace quillvarden::platform
