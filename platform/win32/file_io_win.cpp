#include "platform/file_io.h"

#include <windows.h>

#include <random>

#include "platform/win32/owner_only_security.h"
#include "platform/win32/wide_string.h"

namespace quillvarden::platform {
namespace {

HANDLE asHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

bool writeAll(HANDLE file, std::string_view content) {
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        left -= written;
    }
    return true;
}

}  // namespace

FileReader::~FileReader() {
    if (isOpen()) CloseHandle(asHandle(handle_));
}

bool FileReader::open(const std::string& path) {
    if (isOpen()) CloseHandle(asHandle(handle_));
    handle_ = kClosed;
    if (path.empty()) return false;
    HANDLE file = CreateFileW(win32::widen(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    // Only disk files: a pipe or a device could block or never end.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

std::size_t FileReader::read(void* buffer, std::size_t size) {
    if (!isOpen() || size == 0) return 0;
    const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!ReadFile(asHandle(handle_), buffer, want, &got, nullptr)) return 0;
    return got;
}

std::optional<std::uint64_t> FileReader::size() const {
    LARGE_INTEGER size;
    if (!isOpen() || !GetFileSizeEx(asHandle(handle_), &size)) return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::optional<std::uint64_t> fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExW(win32::widen(path).c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool createDirectory(const std::string& path) {
    return !path.empty() && CreateDirectoryW(win32::widen(path).c_str(), nullptr) != 0;
}

bool moveFileNoReplace(const std::string& from, const std::string& to) {
    // No flags: an existing target is never replaced; another volume means copy and delete.
    return !from.empty() && !to.empty() &&
           MoveFileW(win32::widen(from).c_str(), win32::widen(to).c_str()) != 0;
}

bool removeFile(const std::string& path) {
    return !path.empty() && DeleteFileW(win32::widen(path).c_str()) != 0;
}

bool replaceFileContent(const std::string& path, std::string_view content, FileAccess access) {
    std::random_device random;
    const std::wstring target = win32::widen(path);
    const std::wstring temporary = win32::widen(path + ".tmp-" + std::to_string(random()));
    win32::OwnerOnlySecurity ownerOnly;
    SECURITY_ATTRIBUTES* security = nullptr;
    if (access == FileAccess::OwnerOnly) {
        security = ownerOnly.attributes();
        if (!security) return false;  // never write a private file with inherited access
    }
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, security, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = writeAll(file, content) && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    ok = ok && MoveFileExW(temporary.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(temporary.c_str());
    return ok;
}

}  // namespace quillvarden::platform
