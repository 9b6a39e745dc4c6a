// Whether a Windows test binary runs under Wine, for the few places where Wine is
// known to behave unlike Windows (and says so in the test).
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

namespace quillvarden::test {

inline bool underWine() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

}  // namespace quillvarden::test
