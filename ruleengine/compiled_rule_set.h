// A rule list prepared for fast matching: every literal string of every rule (plain
// strings, text patterns in their exact, case-folded and UTF-16LE forms, and the
// longest fixed run of each hex pattern) goes into one automaton, so a file's
// content is read once whatever the number of rules; candidates are confirmed where
// case or wildcards matter. Regular expressions are compiled once and run only when
// they can still change a rule's verdict. The verdicts are exactly those of
// matching each rule on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ruleengine/detection_rule.h"
#include "ruleengine/literal_automaton.h"
#include "ruleengine/regex_program.h"
#include "server/records/threat_info.h"

namespace quillvarden {

class CompiledRuleSet {
public:
    explicit CompiledRuleSet(const std::vector<DetectionRule>& rules);

    std::size_t ruleCount() const { return rules_.size(); }

    // One record per matching rule, in rule order. Safe to call from many threads.
    std::vector<ThreatInfo> match(const std::string& path, const std::vector<std::uint8_t>& content) const;

private:
    struct Literal {
        enum class Check { Folded, Exact, Hex };
        std::size_t slot = 0;  // the rule string it proves
        Check check = Check::Folded;
        std::string bytes;                 // Exact: the bytes to compare
        std::size_t hexPattern = 0;        // Hex: index into hexPatterns_
        std::size_t atomOffset = 0;        // Hex: where the key sits in the pattern
    };
    struct Rule {
        std::string name;
        std::string description;
        std::int32_t severity = 2;
        std::size_t firstSlot = 0;
        std::size_t literalSlots = 0;  // literal strings: slots firstSlot .. + literalSlots
        std::vector<std::size_t> wildcardOnlyHex;  // hex patterns without a fixed byte
        bool hasFileNameGate = false;
        std::shared_ptr<const RegexProgram> fileNameGate;  // null: the gate never opens
        std::vector<std::shared_ptr<const RegexProgram>> regexes;  // null: does not compile
        std::size_t totalStrings = 0;
        std::size_t needed = 0;  // strings that must be found
    };

    void addLiteral(std::string_view key, Literal literal);
    bool hexMatchesAt(const HexPattern& pattern, const std::vector<std::uint8_t>& content, std::size_t start) const;

    std::vector<Rule> rules_;
    std::vector<HexPattern> hexPatterns_;
    LiteralAutomaton automaton_;
    std::vector<std::vector<Literal>> literalsByKey_;
    std::size_t slotCount_ = 0;
};

}  // namespace quillvarden
