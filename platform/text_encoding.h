// UTF-8 <-> UTF-16 conversion. The program keeps UTF-8 everywhere and converts
// only where an operating-system call wants UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace quillvarden::platform {

// Invalid input sequences become U+FFFD; the result is empty only for empty input
// or when the system refuses the conversion.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

}  // namespace quillvarden::platform
