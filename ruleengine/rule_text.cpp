#include "ruleengine/rule_text.h"

#include "platform/ascii_text.h"

namespace quillvarden {
namespace {

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::uint8_t hexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
    return static_cast<std::uint8_t>(c - 'A' + 10);
}

}  // namespace

std::string stripComments(std::string_view text) {
    enum class State { Normal, Quoted, LineComment, BlockComment } state = State::Normal;
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        switch (state) {
            case State::Normal:
                if (c == '/' && i + 1 < text.size() && next == '/') {
                    state = State::LineComment;
                    ++i;
                } else if (c == '/' && i + 1 < text.size() && next == '*') {
                    state = State::BlockComment;
                    ++i;
                } else {
                    out.push_back(c);
                    if (c == '"') state = State::Quoted;
                }
                break;
            case State::Quoted:
                out.push_back(c);
                if (c == '\\' && i + 1 < text.size()) {
                    out.push_back(next);  // an escaped quote does not end the string
                    ++i;
                } else if (c == '"') {
                    state = State::Normal;
                }
                break;
            case State::LineComment:
                if (c == '\n') {
                    out.push_back(c);
                    state = State::Normal;
                }
                break;
            case State::BlockComment:
                if (c == '*' && i + 1 < text.size() && next == '/') {
                    state = State::Normal;
                    ++i;
                }
                break;
        }
    }
    return out;
}

std::string_view trimBlank(std::string_view text) {
    return trimChars(text, " \t\r\n");
}

UnquotedText unescapeQuoted(std::string_view value) {
    UnquotedText result;
    if (value.size() < 2) {
        result.closingQuote = 1;
        return result;
    }
    std::size_t i = 1;
    while (i < value.size()) {
        const char c = value[i];
        if (c == '"') {
            result.closingQuote = i;
            return result;
        }
        if (c != '\\' || i + 1 >= value.size()) {
            result.text.push_back(c);  // also a backslash that ends the value
            ++i;
            continue;
        }
        const char escaped = value[i + 1];
        switch (escaped) {
            case 'n': result.text.push_back('\n'); break;
            case 'r': result.text.push_back('\r'); break;
            case 't': result.text.push_back('\t'); break;
            case 'x':
                if (i + 3 < value.size() && isHexDigit(value[i + 2]) && isHexDigit(value[i + 3])) {
                    result.text.push_back(static_cast<char>((hexValue(value[i + 2]) << 4) | hexValue(value[i + 3])));
                    i += 4;
                } else {
                    ++i;  // the backslash goes; "x" and what follows are ordinary text
                }
                continue;
            default: result.text.push_back(escaped); break;  // \" \\ and any other
        }
        i += 2;
    }
    result.closingQuote = value.size();
    return result;
}

HexPattern parseHexPattern(std::string_view text) {
    HexPattern pattern;
    auto add = [&](std::uint8_t byte, bool wildcard) {
        pattern.bytes.push_back(wildcard ? 0 : byte);
        pattern.wildcard.push_back(wildcard);
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        const bool hasNext = i + 1 < text.size();
        const char next = hasNext ? text[i + 1] : '\0';
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (isHexDigit(c) && hasNext && isHexDigit(next)) {
            add(static_cast<std::uint8_t>((hexValue(c) << 4) | hexValue(next)), false);
            i += 2;
        } else if (c == '?') {
            add(0, true);
            i += (hasNext && (next == '?' || isHexDigit(next))) ? 2 : 1;
        } else if (isHexDigit(c)) {
            add(0, true);  // a lone nibble: nibble wildcards are read as a whole byte
            i += (hasNext && next == '?') ? 2 : 1;
        } else if (c == '[' || c == '(' || c == ')' || c == '-' || c == '|') {
            // A jump or alternation token: up to ']', ')', a space or a tab, the
            // current character included in the test.
            while (i < text.size() && text[i] != ']' && text[i] != ')' && text[i] != ' ' && text[i] != '\t') ++i;
            if (i < text.size() && (text[i] == ']' || text[i] == ')')) ++i;
            add(0, true);
        } else {
            ++i;
        }
    }
    return pattern;
}

std::int32_t parseSeverity(std::string_view value) {
    const std::string lower = toLowerAscii(value);
    if (lower.find("critical") != std::string::npos) return 3;
    if (lower.find("high") != std::string::npos) return 2;
    if (lower.find("medium") != std::string::npos) return 1;
    if (lower.find("med") != std::string::npos) return 1;
    if (lower.find("low") != std::string::npos) return 0;
    return 2;
}

}  // namespace quillvarden
