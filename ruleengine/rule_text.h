// The small text operations the rule parser is built from. All are total: any
// input, however malformed, gives a result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ruleengine/detection_rule.h"

namespace quillvarden {

// Drops // line comments and /* block comments */ outside double-quoted strings.
std::string stripComments(std::string_view text);

// Removes spaces, tabs, CRs and LFs at both ends.
std::string_view trimBlank(std::string_view text);

struct UnquotedText {
    std::string text;
    std::size_t closingQuote = 0;  // index of the closing quote in the value, or its length
};

// Decodes a value that starts with an opening quote: \" \\ \n \r \t \xHH and \c for
// any other c. Ends at the first unescaped quote or at the end of the value.
UnquotedText unescapeQuoted(std::string_view value);

// The inside of a {...} hex string: byte pairs, ?? wildcards, and jumps or
// alternations ([2-4], ( A | B )) read as one wildcard each.
HexPattern parseHexPattern(std::string_view text);

// "critical" 3, "high" 2, "medium"/"med" 1, "low" 0, tested as substrings in that
// order; anything else 2.
std::int32_t parseSeverity(std::string_view value);

}  // namespace quillvarden
