// What the three monitors report to their handlers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/processes.h"

namespace quillvarden {

enum class FileAction : std::int32_t {
    Created = 0,
    Modified = 1,
    Deleted = 2,  // never produced
    NewName = 3,
};

// One change inside the watched directory.
struct FileEvent {
    FileAction action = FileAction::Created;
    std::string filePath;  // the watched directory, the separator, fileName
    std::string fileName;  // relative to the watched directory, subdirectories included
    std::int64_t timestampMs = 0;
};

// One autostart value that is new or whose data changed.
struct RegistryEvent {
    std::string hive;
    std::string keyPath;
    std::string valueName;
    std::string command;
    std::int64_t timestampMs = 0;
};

// One process that started since the previous poll.
struct ProcessEvent {
    std::uint32_t pid = 0;
    std::string path;      // the full image path; never empty in a delivered event
    std::string fileName;  // the part of path after its last separator
    std::int64_t timestampMs = 0;
    std::uint32_t parentPid = 0;
    // Held since the process was seen, so that ending it never hits a process that
    // reused its identifier while its image was being scanned.
    std::shared_ptr<platform::ProcessHold> hold;
};

}  // namespace quillvarden
