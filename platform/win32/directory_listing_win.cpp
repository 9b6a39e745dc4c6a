#include "platform/directory_listing.h"

#include <windows.h>

#include "platform/win32/wide_string.h"

namespace quillvarden::platform {

bool listDirectory(const std::string& path, std::vector<DirectoryEntry>& entries) {
    if (path.empty()) return false;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(win32::widen(path + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
        const std::wstring_view name(data.cFileName);
        if (name == L"." || name == L"..") continue;
        entries.push_back({win32::narrow(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

std::optional<DirectoryIdentity> directoryIdentity(const std::string& path) {
    if (path.empty()) return std::nullopt;
    // Opening with backup semantics is what lets a directory be opened at all.
    HANDLE dir = CreateFileW(win32::widen(path).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (dir == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(dir, &info) != 0;
    CloseHandle(dir);
    if (!known) return std::nullopt;
    return DirectoryIdentity{info.dwVolumeSerialNumber,
                             (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

}  // namespace quillvarden::platform
