#include "ruleengine/compiled_rule_set.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string_view>

#include "platform/process_paths.h"
#include "ruleengine/rule_match_record.h"

namespace quillvarden {
namespace {

std::string wideForm(const std::string& text) {
    std::string wide;
    wide.reserve(text.size() * 2);
    for (const char c : text) {
        wide.push_back(c);
        wide.push_back('\0');
    }
    return wide;
}

// The longest run of fixed bytes: [offset, length); length 0 when all are wildcards.
std::pair<std::size_t, std::size_t> longestFixedRun(const HexPattern& pattern) {
    std::size_t bestStart = 0;
    std::size_t bestLength = 0;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i <= pattern.bytes.size(); ++i) {
        if (i < pattern.bytes.size() && !pattern.wildcard[i]) continue;
        if (i - runStart > bestLength) {
            bestStart = runStart;
            bestLength = i - runStart;
        }
        runStart = i + 1;
    }
    return {bestStart, bestLength};
}

// Programs shared between rules that use the same source.
class RegexCache {
public:
    std::shared_ptr<const RegexProgram> get(const std::string& source) {
        const auto found = programs_.find(source);
        if (found != programs_.end()) return found->second;
        return programs_[source] = RegexProgram::compile(source);
    }

private:
    std::map<std::string, std::shared_ptr<const RegexProgram>> programs_;
};

}  // namespace

void CompiledRuleSet::addLiteral(std::string_view key, Literal literal) {
    const std::size_t id = automaton_.addKey(key);
    if (id >= literalsByKey_.size()) literalsByKey_.resize(id + 1);
    literalsByKey_[id].push_back(std::move(literal));
}

CompiledRuleSet::CompiledRuleSet(const std::vector<DetectionRule>& rules) {
    RegexCache regexes;
    rules_.reserve(rules.size());
    for (const DetectionRule& source : rules) {
        Rule rule;
        rule.name = source.name;
        rule.description = source.description;
        rule.severity = source.severity;
        rule.firstSlot = slotCount_;
        std::size_t slot = slotCount_;

        for (const std::string& plain : source.plainStrings) {
            if (!plain.empty()) addLiteral(plain, {slot, Literal::Check::Exact, plain});
            ++slot;
        }
        for (const TextPattern& text : source.textStrings) {
            if (!text.text.empty()) {
                addLiteral(text.text, text.nocase ? Literal{slot, Literal::Check::Folded}
                                                  : Literal{slot, Literal::Check::Exact, text.text});
                if (text.wide) {
                    const std::string wide = wideForm(text.text);
                    addLiteral(wide, {slot, Literal::Check::Exact, wide});
                }
            }
            ++slot;
        }
        for (const HexPattern& hex : source.hexStrings) {
            const std::size_t index = hexPatterns_.size();
            hexPatterns_.push_back(hex);
            const auto [offset, length] = longestFixedRun(hex);
            if (length > 0) {
                const std::string atom(hex.bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                                       hex.bytes.begin() + static_cast<std::ptrdiff_t>(offset + length));
                Literal literal{slot, Literal::Check::Hex};
                literal.hexPattern = index;
                literal.atomOffset = offset;
                addLiteral(atom, std::move(literal));
            } else if (!hex.bytes.empty()) {
                rule.wildcardOnlyHex.push_back(index);
            }
            ++slot;
        }
        rule.literalSlots = slot - rule.firstSlot;
        slotCount_ = slot;

        if (!source.contentRegex.empty()) rule.regexes.push_back(regexes.get(source.contentRegex));
        for (const std::string& regex : source.regexes) rule.regexes.push_back(regexes.get(regex));
        if (!source.fileNameRegex.empty()) {
            rule.hasFileNameGate = true;
            rule.fileNameGate = regexes.get(source.fileNameRegex);
        }

        rule.totalStrings = source.stringCount();
        const std::size_t wanted = source.minMatches < 1 ? 1 : static_cast<std::size_t>(source.minMatches);
        rule.needed = source.requireAll ? rule.totalStrings : std::max<std::size_t>(1, std::min(rule.totalStrings, wanted));
        rules_.push_back(std::move(rule));
    }
    automaton_.build();
}

bool CompiledRuleSet::hexMatchesAt(const HexPattern& pattern, const std::vector<std::uint8_t>& content,
                                   std::size_t start) const {
    if (start + pattern.bytes.size() > content.size()) return false;
    for (std::size_t i = 0; i < pattern.bytes.size(); ++i) {
        if (!pattern.wildcard[i] && pattern.bytes[i] != content[start + i]) return false;
    }
    return true;
}

std::vector<ThreatInfo> CompiledRuleSet::match(const std::string& path, const std::vector<std::uint8_t>& content) const {
    const std::string_view text(reinterpret_cast<const char*>(content.data()), content.size());
    std::vector<char> found(slotCount_, 0);

    automaton_.scan(text, [&](std::size_t key, std::size_t start) {
        for (const Literal& literal : literalsByKey_[key]) {
            if (found[literal.slot]) continue;
            switch (literal.check) {
                case Literal::Check::Folded:
                    found[literal.slot] = 1;
                    break;
                case Literal::Check::Exact:
                    found[literal.slot] = std::memcmp(text.data() + start, literal.bytes.data(), literal.bytes.size()) == 0;
                    break;
                case Literal::Check::Hex:
                    found[literal.slot] = start >= literal.atomOffset &&
                                          hexMatchesAt(hexPatterns_[literal.hexPattern], content, start - literal.atomOffset);
                    break;
            }
        }
        return true;
    });

    const std::string fileName = platform::fileNameOf(path);
    const std::string_view window = text.substr(0, std::min(text.size(), kRegexWindowBytes));
    std::vector<ThreatInfo> records;
    for (const Rule& rule : rules_) {
        if (rule.totalStrings == 0) continue;
        if (rule.hasFileNameGate &&
            (!rule.fileNameGate || rule.fileNameGate->matchWhole(fileName) != RegexProgram::Outcome::Match)) {
            continue;
        }
        std::size_t hits = 0;
        for (std::size_t s = rule.firstSlot; s < rule.firstSlot + rule.literalSlots; ++s) hits += found[s] ? 1 : 0;
        for (const std::size_t hex : rule.wildcardOnlyHex) hits += hexPatterns_[hex].bytes.size() <= content.size();

        // Expressions run only while they can still change the verdict.
        std::size_t remaining = rule.regexes.size();
        for (const auto& regex : rule.regexes) {
            if (hits >= rule.needed || hits + remaining < rule.needed) break;
            --remaining;
            if (regex && regex->search(window) == RegexProgram::Outcome::Match) ++hits;
        }
        if (hits >= rule.needed) {
            records.push_back(ruleMatchRecord(path, fileName, rule.name, rule.description, rule.severity));
        }
    }
    return records;
}

}  // namespace quillvarden
