#include "platform/system_folders.h"

#include <windows.h>

#include "platform/win32/wide_string.h"

namespace quillvarden::platform {

std::string windowsDirectory() {
    wchar_t buffer[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return win32::narrow(std::wstring_view(buffer, length));
}

std::vector<std::string> nativeSystemFolders() { return {}; }

}  // namespace quillvarden::platform
