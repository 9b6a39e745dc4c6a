#include "ruleengine/reference_matcher.h"

#include <algorithm>
#include <string_view>

#include "platform/ascii_text.h"
#include "ruleengine/regex_program.h"
#include "platform/process_paths.h"
#include "ruleengine/rule_match_record.h"

namespace quillvarden {
namespace {

bool containsBytes(std::string_view content, std::string_view needle) {
    return !needle.empty() && needle.size() <= content.size() && content.find(needle) != std::string_view::npos;
}

bool containsFolded(std::string_view content, std::string_view needle) {
    if (needle.empty() || needle.size() > content.size()) return false;
    for (std::size_t start = 0; start + needle.size() <= content.size(); ++start) {
        std::size_t i = 0;
        while (i < needle.size() && toLowerAscii(content[start + i]) == toLowerAscii(needle[i])) ++i;
        if (i == needle.size()) return true;
    }
    return false;
}

bool textFound(std::string_view content, const TextPattern& pattern) {
    if (pattern.nocase ? containsFolded(content, pattern.text) : containsBytes(content, pattern.text)) return true;
    if (!pattern.wide) return false;
    std::string wide;
    for (const char c : pattern.text) {
        wide.push_back(c);
        wide.push_back('\0');
    }
    return containsBytes(content, wide);
}

bool hexFound(const std::vector<std::uint8_t>& content, const HexPattern& pattern) {
    if (pattern.bytes.size() > content.size()) return false;
    for (std::size_t start = 0; start + pattern.bytes.size() <= content.size(); ++start) {
        std::size_t i = 0;
        while (i < pattern.bytes.size() && (pattern.wildcard[i] || pattern.bytes[i] == content[start + i])) ++i;
        if (i == pattern.bytes.size()) return true;
    }
    return false;
}

bool regexFound(std::string_view window, const std::string& source) {
    const auto program = RegexProgram::compile(source);
    return program && program->search(window) == RegexProgram::Outcome::Match;
}

}  // namespace

std::vector<ThreatInfo> matchRulesOneByOne(const std::vector<DetectionRule>& rules, const std::string& path,
                                           const std::vector<std::uint8_t>& content) {
    const std::string fileName = platform::fileNameOf(path);
    const std::string_view text(reinterpret_cast<const char*>(content.data()), content.size());
    const std::string_view window = text.substr(0, std::min(text.size(), kRegexWindowBytes));
    std::vector<ThreatInfo> records;
    for (const DetectionRule& rule : rules) {
        if (!rule.fileNameRegex.empty()) {
            const auto gate = RegexProgram::compile(rule.fileNameRegex);
            if (!gate || gate->matchWhole(fileName) != RegexProgram::Outcome::Match) continue;
        }
        std::size_t total = 0;
        std::size_t found = 0;
        for (const std::string& plain : rule.plainStrings) {
            ++total;
            found += containsBytes(text, plain);
        }
        for (const TextPattern& pattern : rule.textStrings) {
            ++total;
            found += textFound(text, pattern);
        }
        for (const HexPattern& pattern : rule.hexStrings) {
            ++total;
            found += hexFound(content, pattern);
        }
        if (!rule.contentRegex.empty()) {
            ++total;
            found += regexFound(window, rule.contentRegex);
        }
        for (const std::string& regex : rule.regexes) {
            ++total;
            found += regexFound(window, regex);
        }
        if (total == 0) continue;
        const std::size_t minimum = rule.minMatches < 1 ? 1 : static_cast<std::size_t>(rule.minMatches);
        const std::size_t needed = rule.requireAll ? total : std::max<std::size_t>(1, std::min(total, minimum));
        if (found >= needed) records.push_back(ruleMatchRecord(path, fileName, rule.name, rule.description, rule.severity));
    }
    return records;
}

}  // namespace quillvarden
