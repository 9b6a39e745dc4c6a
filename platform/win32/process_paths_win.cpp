#include "platform/process_paths.h"

#include <windows.h>

#include "platform/win32/wide_string.h"

namespace quillvarden::platform {

std::string executablePath() {
    // The wide call: an ANSI path would lose characters outside the code page.
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return win32::narrow(std::wstring_view(buffer, length));
}

}  // namespace quillvarden::platform
