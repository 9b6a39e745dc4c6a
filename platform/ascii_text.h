// Text helpers that fold ASCII letters only: every comparison in the program that
// ignores case leaves all other bytes (UTF-8 included) as they are.
#pragma once

#include <string>
#include <string_view>

namespace quillvarden {

inline char toLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string toLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = toLowerAscii(c);
    return out;
}

inline bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (toLowerAscii(a[i]) != toLowerAscii(b[i])) return false;
    }
    return true;
}

// Lower-cased, with every '/' turned into '\': the form paths are compared in.
inline std::string foldPath(std::string_view path) {
    std::string out(path);
    for (char& c : out) c = c == '/' ? '\\' : toLowerAscii(c);
    return out;
}

inline bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// Removes the given characters from both ends.
inline std::string_view trimChars(std::string_view text, std::string_view chars) {
    const auto first = text.find_first_not_of(chars);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(chars);
    return text.substr(first, last - first + 1);
}

}  // namespace quillvarden
