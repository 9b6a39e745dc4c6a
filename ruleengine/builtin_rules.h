// The thirteen rules the engine always carries, so that rule matching works
// without any rule file.
#pragma once

#include <vector>

#include "ruleengine/detection_rule.h"

namespace quillvarden {

std::vector<DetectionRule> builtinRules();

}  // namespace quillvarden
