// One detection rule: the strings to look for and how many of them make a match.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillvarden {

// A quoted string of a rule file.
struct TextPattern {
    std::string text;  // never empty
    bool nocase = false;
    bool wide = false;  // also look for the UTF-16LE form
};

// A hex string of a rule file; wildcard[i] means any byte at position i.
struct HexPattern {
    std::vector<std::uint8_t> bytes;  // never empty; 0 where wildcard
    std::vector<bool> wildcard;       // same length as bytes
};

struct DetectionRule {
    std::string name;
    std::string description;
    std::int32_t severity = 2;  // 0 Low, 1 Medium, 2 High, 3 Critical
    std::vector<std::string> plainStrings;  // byte for byte; built-in rules only
    std::vector<TextPattern> textStrings;
    std::vector<HexPattern> hexStrings;
    std::string contentRegex;  // built-in rules only; empty means none
    std::vector<std::string> regexes;
    std::string fileNameRegex;  // must match the whole file name; built-in rules only
    std::int32_t minMatches = 1;
    bool requireAll = false;

    // Plain strings, text and hex patterns and file regexes, plus one for contentRegex.
    std::size_t stringCount() const {
        return plainStrings.size() + textStrings.size() + hexStrings.size() + regexes.size() +
               (contentRegex.empty() ? 0 : 1);
    }
};

}  // namespace quillvarden
