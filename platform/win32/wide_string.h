// UTF-16 helpers for the Win32 backends only.
#pragma once

#include <string>
#include <string_view>

#include "platform/text_encoding.h"

namespace quillvarden::platform::win32 {

inline std::wstring widen(std::string_view utf8) {
    const std::u16string wide = utf8ToUtf16(utf8);
    return std::wstring(wide.begin(), wide.end());
}

inline std::string narrow(std::wstring_view wide) {
    return utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace quillvarden::platform::win32
