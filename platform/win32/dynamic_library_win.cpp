#include "platform/dynamic_library.h"

#include <windows.h>

#include "platform/win32/wide_string.h"

namespace quillvarden::platform {

std::unique_ptr<DynamicLibrary> DynamicLibrary::open(const std::string& path) {
    if (path.empty()) return nullptr;
    // With a full path, the DLLs it needs are looked for in its own folder first.
    HMODULE module = LoadLibraryExW(win32::widen(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module ? std::unique_ptr<DynamicLibrary>(new DynamicLibrary(module)) : nullptr;
}

DynamicLibrary::~DynamicLibrary() { FreeLibrary(static_cast<HMODULE>(handle_)); }

void* DynamicLibrary::symbol(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

std::string sharedLibraryFileName(const std::string& base) { return base + ".dll"; }

}  // namespace quillvarden::platform
