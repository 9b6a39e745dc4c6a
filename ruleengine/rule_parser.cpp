#include "ruleengine/rule_parser.h"

#include <algorithm>
#include <limits>
#include <string>

#include "platform/ascii_text.h"
#include "ruleengine/rule_text.h"

namespace quillvarden {
namespace {

constexpr std::size_t npos = std::string_view::npos;

bool isAsciiAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool isWhite(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The next "rule" keyword at or after from: not glued to a letter or digit before
// it, and followed by white space or the end of the text.
std::size_t findRuleKeyword(std::string_view text, std::size_t from) {
    for (std::size_t at = text.find("rule", from); at != npos; at = text.find("rule", at + 4)) {
        const bool cleanStart = at == 0 || !isAsciiAlnum(text[at - 1]);
        const std::size_t after = at + 4;
        const bool cleanEnd = after == text.size() || text[after] == ' ' || text[after] == '\t' ||
                              text[after] == '\r' || text[after] == '\n';
        if (cleanStart && cleanEnd) return at;
    }
    return npos;
}

// The first occurrence of a section keyword that starts the body or follows a
// character that is not a letter or digit.
std::size_t findSection(std::string_view body, std::string_view keyword) {
    for (std::size_t at = body.find(keyword); at != npos; at = body.find(keyword, at + 1)) {
        if (at == 0 || !isAsciiAlnum(body[at - 1])) return at;
    }
    return npos;
}

template <typename Visit>
void forEachLine(std::string_view text, Visit visit) {
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        visit(text.substr(0, newline));
        if (newline == npos) break;
        text.remove_prefix(newline + 1);
    }
}

void applyMeta(std::string_view section, DetectionRule& rule) {
    forEachLine(section, [&](std::string_view line) {
        const std::size_t equals = line.find('=');
        if (line.empty() || equals == npos) return;
        const std::string key = toLowerAscii(trimBlank(line.substr(0, equals)));
        std::string value(trimBlank(line.substr(equals + 1)));
        if (!value.empty() && value.front() == '"') value = unescapeQuoted(value).text;
        if (key == "description" || key == "desc" || key == "info") {
            rule.description = value;
        } else if (key == "severity" || key == "threat_level" || key == "level") {
            rule.severity = parseSeverity(value);
        }
    });
}

void addString(std::string_view value, DetectionRule& rule) {
    if (value.empty()) return;
    switch (value.front()) {
        case '"': {
            UnquotedText quoted = unescapeQuoted(value);
            if (quoted.text.empty()) return;
            const std::string modifiers =
                toLowerAscii(value.substr(std::min(value.size(), quoted.closingQuote + 1)));
            rule.textStrings.push_back({std::move(quoted.text), modifiers.find("nocase") != std::string::npos,
                                        modifiers.find("wide") != std::string::npos});
            return;
        }
        case '{': {
            const std::size_t close = value.find('}');
            const std::string_view inside = close == npos ? value.substr(1) : value.substr(1, close - 1);
            HexPattern pattern = parseHexPattern(inside);
            if (!pattern.bytes.empty()) rule.hexStrings.push_back(std::move(pattern));
            return;
        }
        case '/': {
            const std::size_t last = value.rfind('/');
            if (last == 0 || last == npos) return;
            const std::string_view source = value.substr(1, last - 1);  // flags after it are ignored
            if (!source.empty()) rule.regexes.emplace_back(source);
            return;
        }
        default:
            return;
    }
}

void applyStrings(std::string_view section, DetectionRule& rule) {
    forEachLine(section, [&](std::string_view raw) {
        const std::string_view line = trimBlank(raw);
        const std::size_t equals = line.find('=');
        if (line.empty() || line.front() != '$' || equals == npos) return;
        addString(trimBlank(line.substr(equals + 1)), rule);
    });
}

void applyCondition(std::string_view condition, DetectionRule& rule) {
    const std::string text = toLowerAscii(condition);
    if (text.find("all of them") != npos) {
        rule.requireAll = true;
    } else if (text.find("any of them") != npos) {
        // the default: one string suffices
    } else if (const std::size_t ofThem = text.find(" of them"); ofThem != npos) {
        std::size_t end = ofThem;
        while (end > 0 && text[end - 1] == ' ') --end;
        std::size_t start = end;
        while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9') --start;
        long long count = 0;
        for (std::size_t i = start; i < end; ++i) {
            count = std::min<long long>(count * 10 + (text[i] - '0'), std::numeric_limits<std::int32_t>::max());
        }
        if (count > 0) rule.minMatches = static_cast<std::int32_t>(count);
    } else if (text.find(" and ") != npos && text.find(" or ") == npos) {
        rule.requireAll = true;
    }
}

// Fills a rule from its body; false when the rule has no usable string.
bool readBody(std::string_view body, DetectionRule& rule) {
    const std::size_t meta = findSection(body, "meta:");
    const std::size_t strings = findSection(body, "strings:");
    const std::size_t condition = findSection(body, "condition:");

    if (meta != npos) {
        const std::size_t from = meta + 5;
        std::size_t to = body.size();
        if (strings != npos && strings > meta) {
            to = strings;
        } else if (condition != npos && condition > meta) {
            to = condition;
        }
        applyMeta(body.substr(from, to - std::min(to, from)), rule);
    }
    if (strings != npos) {
        const std::size_t from = strings + 8;
        const std::size_t to = (condition != npos && condition > strings) ? condition : body.size();
        applyStrings(body.substr(from, to - std::min(to, from)), rule);
    }
    const std::size_t count = rule.stringCount();
    if (count == 0) return false;
    if (condition != npos) applyCondition(body.substr(condition + 10), rule);
    rule.minMatches = static_cast<std::int32_t>(std::min<std::size_t>(static_cast<std::size_t>(rule.minMatches), count));
    return true;
}

}  // namespace

std::vector<DetectionRule> parseRuleText(std::string_view input) {
    const std::string text = stripComments(input);
    const std::string_view all(text);
    std::vector<DetectionRule> rules;
    std::size_t at = 0;
    while ((at = findRuleKeyword(all, at)) != npos) {
        std::size_t i = at + 4;
        while (i < all.size() && isWhite(all[i])) ++i;
        const std::size_t nameStart = i;
        while (i < all.size() && (isAsciiAlnum(all[i]) || all[i] == '_')) ++i;
        if (i >= all.size()) break;
        const std::string name(all.substr(nameStart, i - nameStart));

        const std::size_t open = all.find('{', i);
        if (open == npos) break;
        int depth = 0;
        std::size_t close = npos;
        for (std::size_t k = open; k < all.size(); ++k) {
            if (all[k] == '{') {
                ++depth;
            } else if (all[k] == '}') {
                if (depth == 1) {
                    close = k;
                    break;
                }
                --depth;
            }
        }
        if (close == npos) break;  // unbalanced: the rest of the file is lost

        DetectionRule rule;
        rule.name = name;
        rule.description = name;
        if (!name.empty() && readBody(all.substr(open + 1, close - open - 1), rule)) rules.push_back(std::move(rule));
        at = close + 1;
    }
    return rules;
}

}  // namespace quillvarden
