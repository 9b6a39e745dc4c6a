// The rule language: a tolerant reader of YARA-like rule files. It never reports a
// syntax error; it keeps what it recognises and drops a rule only when no usable
// string is left. Only an unbalanced brace ends a file early.
#pragma once

#include <string_view>
#include <vector>

#include "ruleengine/detection_rule.h"

namespace quillvarden {

// Every accepted rule of one file's text, in file order.
std::vector<DetectionRule> parseRuleText(std::string_view text);

}  // namespace quillvarden
