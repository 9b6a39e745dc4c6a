#include "engine/directory_walk.h"

#include <optional>
#include <vector>

#include "platform/directory_listing.h"
#include "platform/process_paths.h"

namespace quillvarden {
namespace {

void walk(const std::string& dir, const DirectoryWalk& visitor,
          std::vector<platform::DirectoryIdentity>& ancestors) {
    std::vector<platform::DirectoryEntry> entries;
    if (!platform::listDirectory(dir, entries)) return;
    for (const platform::DirectoryEntry& entry : entries) {
        const std::string full = dir + platform::kPathSeparator + entry.name;
        if (!entry.isDirectory) {
            if (visitor.onFile) visitor.onFile(full, entry.name);
            continue;
        }
        if (visitor.enterDirectory && !visitor.enterDirectory(full, entry.name)) continue;
        const std::optional<platform::DirectoryIdentity> identity = platform::directoryIdentity(full);
        if (identity) {
            bool cycle = false;
            for (const auto& ancestor : ancestors) cycle = cycle || ancestor == *identity;
            if (cycle) continue;
            ancestors.push_back(*identity);
        }
        walk(full, visitor, ancestors);
        if (identity) ancestors.pop_back();
    }
}

}  // namespace

void walkDirectoryTree(const std::string& root, const DirectoryWalk& visitor) {
    std::vector<platform::DirectoryIdentity> ancestors;
    if (const auto identity = platform::directoryIdentity(root)) ancestors.push_back(*identity);
    walk(root, visitor, ancestors);
}

}  // namespace quillvarden
