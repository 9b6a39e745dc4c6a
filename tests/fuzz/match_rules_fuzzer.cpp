// Rules from the input's text plus the built-in set, matched against the rest of
// the input as a file: no fault, and the fast matcher agrees with the one-by-one
// matcher on every verdict.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ruleengine/builtin_rules.h"
#include "ruleengine/compiled_rule_set.h"
#include "ruleengine/reference_matcher.h"
#include "ruleengine/rule_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillvarden;
    FuzzedDataProvider input(data, size);
    const std::string ruleText = input.ConsumeRandomLengthString(2048);
    const std::string path = input.ConsumeRandomLengthString(64);
    const std::vector<std::uint8_t> content = input.ConsumeRemainingBytes<std::uint8_t>();

    std::vector<DetectionRule> rules = builtinRules();
    for (DetectionRule& rule : parseRuleText(ruleText)) rules.push_back(std::move(rule));

    const auto fast = CompiledRuleSet(rules).match(path, content);
    const auto slow = matchRulesOneByOne(rules, path, content);
    if (fast.size() != slow.size()) std::abort();
    for (std::size_t i = 0; i < fast.size(); ++i) {
        if (fast[i].ruleName != slow[i].ruleName) std::abort();
    }
    return 0;
}
