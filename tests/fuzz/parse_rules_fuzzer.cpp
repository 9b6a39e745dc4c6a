// Any text must parse without a fault, and every rule the parser keeps must be
// well formed: named, with at least one string, hex masks as long as their bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ruleengine/rule_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const quillvarden::DetectionRule& rule : quillvarden::parseRuleText(text)) {
        if (rule.name.empty() || rule.stringCount() == 0) std::abort();
        if (rule.minMatches < 1 || static_cast<std::size_t>(rule.minMatches) > rule.stringCount()) std::abort();
        for (const auto& hex : rule.hexStrings) {
            if (hex.bytes.empty() || hex.bytes.size() != hex.wildcard.size()) std::abort();
        }
        for (const auto& pattern : rule.textStrings) {
            if (pattern.text.empty()) std::abort();
        }
    }
    return 0;
}
