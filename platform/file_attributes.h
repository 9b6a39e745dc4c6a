// Cheap questions about a path that do not open the file.
#pragma once

#include <cstdint>
#include <string>

namespace quillvarden::platform {

struct FileAttributes {
    bool exists = false;       // the attributes could be read
    bool isDirectory = false;
    bool isReadOnly = false;
};

FileAttributes fileAttributes(const std::string& path);

inline bool isDirectory(const std::string& path) {
    const FileAttributes attributes = fileAttributes(path);
    return attributes.exists && attributes.isDirectory;
}

}  // namespace quillvarden::platform
