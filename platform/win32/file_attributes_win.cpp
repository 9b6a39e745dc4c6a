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

bool isExecutableFile(const std::string&) { return false; }

std::optional<std::uint32_t> permissionBits(const std::string&) { return std::nullopt; }

bool setPermissionBits(const std::string&, std::uint32_t) { return true; }

bool makeWritable(const std::string& path) {
    const std::wstring wide = win32::widen(path);
    const DWORD bits = GetFileAttributesW(wide.c_str());
    if (bits == INVALID_FILE_ATTRIBUTES) return false;
    return SetFileAttributesW(wide.c_str(), bits & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) != 0;
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
    if (path.empty()) return std::nullopt;
    HANDLE file = CreateFileW(win32::widen(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!ok) return std::nullopt;
    const auto join = [](DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; };
    return FileIdentity{info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow),
                        join(info.nFileSizeHigh, info.nFileSizeLow),
                        static_cast<std::int64_t>(join(info.ftLastWriteTime.dwHighDateTime,
                                                       info.ftLastWriteTime.dwLowDateTime)) * 100};
}

}  // namespace quillvarden::platform
