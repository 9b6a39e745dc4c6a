// Depth-first walk of a directory tree in file-system order: a subdirectory's files
// come where the subdirectory is met. Links to directories are entered like the
// directories they name, but never into one of their own ancestors (a link cycle).
#pragma once

#include <functional>
#include <string>

namespace quillvarden {

struct DirectoryWalk {
    // Called for every entry that is not a directory, with the full path and the name.
    std::function<void(const std::string& path, const std::string& name)> onFile;
    // Decides whether to enter a subdirectory; empty means always.
    std::function<bool(const std::string& path, const std::string& name)> enterDirectory;
};

// Paths are root + separator + name. A root that cannot be listed visits nothing.
void walkDirectoryTree(const std::string& root, const DirectoryWalk& walk);

}  // namespace quillvarden
