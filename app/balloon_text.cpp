#include "app/balloon_text.h"

namespace quillvarden {

std::u16string cutUtf16(std::u16string text, std::size_t limit) {
    if (text.size() <= limit) return text;
    text.resize(limit);
    if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
    return text;
}

}  // namespace quillvarden
