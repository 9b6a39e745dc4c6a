#include "platform/text_encoding.h"

#include <windows.h>

#include <climits>

namespace quillvarden::platform {

// Code page UTF-8 without flags: malformed input becomes U+FFFD instead of failing.
std::u16string utf8ToUtf16(std::string_view text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::u16string out(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, reinterpret_cast<wchar_t*>(out.data()), length);
    return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, size, out.data(), length, nullptr, nullptr);
    return out;
}

}  // namespace quillvarden::platform
