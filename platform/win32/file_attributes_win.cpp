#include "platform/file_attributes.h"

#include <windows.h>

#include "platform/win32/wide_string.h"

namespace quillvarden::platform {

FileAttributes fileAttributes(const std::string& path) {
    FileAttributes attributes;
    if (path.empty()) return attributes;
    const DWORD bits = GetFileAttributesW(win32::widen(path).c_str());
    if (bits == INVALID_FILE_ATTRIBUTES) return attributes;
    attributes.exists = true;
    attributes.isDirectory = (bits & FILE_ATTRIBUTE_DIRECTORY) != 0;
    attributes.isReadOnly = (bits & FILE_ATTRIBUTE_READONLY) != 0;
    return attributes;
}

}  // namespace quillvarden::platform
