#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ruleengine/rule_text.h"

namespace quillvarden {
namespace {

TEST(RuleText, StripComments) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"a // line\nb", "a \nb"},
        {"a /* block\n */b", "a b"},
        {"\"// kept\" // gone", "\"// kept\" "},
        {"\"esc \\\" /* kept */\" x", "\"esc \\\" /* kept */\" x"},
        {"/* never closed", ""},
        {"a/b/c", "a/b/c"},
        {"/re//x/ y", "/re"},  // expressions between slashes get no special care
        {"\"open quote // kept", "\"open quote // kept"},
        {"ends with /", "ends with /"},
    };
    for (const Case& c : cases) EXPECT_EQ(stripComments(c.in), c.out) << c.in;
}

TEST(RuleText, UnescapeQuoted) {
    struct Case {
        std::string value, text;
        std::size_t closing;
    };
    const Case cases[] = {
        {R"("plain" nocase)", "plain", 6},
        {R"("x\"y")", "x\"y", 5},
        {R"("\x41B")", "AB", 6},
        {R"("\x4g")", "x4g", 5},
        {R"("\x4")", "x4", 4},
        {R"("a\\b\n\r\t\q")", "a\\b\n\r\tq", 13},
        {"\"no end", "no end", 7},
        {"\"ends in \\", "ends in \\", 10},
        {"\"", "", 1},
        {"", "", 1},
        {std::string("\"\\x00z\"", 7), std::string("\0z", 2), 6},
    };
    for (const Case& c : cases) {
        const UnquotedText result = unescapeQuoted(c.value);
        EXPECT_EQ(result.text, c.text) << c.value;
        EXPECT_EQ(result.closingQuote, c.closing) << c.value;
    }
}

TEST(RuleText, HexPatterns) {
    struct Case {
        std::string text;
        std::string positions;  // two hex digits per byte, ?? for a wildcard
    };
    const Case cases[] = {
        {"4D 5A ?? 90 [2-4] E8", "4D5A??90??E8"},
        {"( AA | BB )", "??AA??BB??"},
        {"4d5a", "4D5A"},
        {"?A A? ??", "??????"},
        {"A", "??"},
        {"[1]", "??"},
        {"-", "??"},
        {"zz 12 kk", "12"},
        {"", ""},
        {"  \r\n\t", ""},
    };
    for (const Case& c : cases) {
        const HexPattern pattern = parseHexPattern(c.text);
        std::string positions;
        for (std::size_t i = 0; i < pattern.bytes.size(); ++i) {
            static const char* digits = "0123456789ABCDEF";
            positions += pattern.wildcard[i] ? std::string("??")
                                             : std::string{digits[pattern.bytes[i] >> 4], digits[pattern.bytes[i] & 15]};
            if (pattern.wildcard[i]) {
                EXPECT_EQ(pattern.bytes[i], 0) << c.text;
            }
        }
        EXPECT_EQ(positions, c.positions) << c.text;
        EXPECT_EQ(pattern.bytes.size(), pattern.wildcard.size());
    }
}

TEST(RuleText, Severity) {
    struct Case {
        const char* value;
        int severity;
    };
    const Case cases[] = {{"Critical", 3}, {"HIGH", 2},     {"medium", 1}, {"med", 1},     {"very low", 0},
                          {"urgent", 2},   {"", 2},         {"3", 2},      {"low-high", 2}, {"Medium-Low", 1}};
    for (const Case& c : cases) EXPECT_EQ(parseSeverity(c.value), c.severity) << c.value;
}

TEST(RuleText, TrimBlank) {
    EXPECT_EQ(trimBlank(" \t\r\n x y \n"), "x y");
    EXPECT_EQ(trimBlank(" \t\r\n"), "");
    EXPECT_EQ(trimBlank("\vkeep\f"), "\vkeep\f");
}

}  // namespace
}  // namespace quillvarden
