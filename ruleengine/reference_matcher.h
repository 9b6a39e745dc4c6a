// Rule matching the plain way: each rule on its own, each string searched with a
// linear scan, each expression compiled anew. Too slow for scanning; it is the
// yardstick the fast matcher is checked and measured against.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ruleengine/detection_rule.h"
#include "server/records/threat_info.h"

namespace quillvarden {

std::vector<ThreatInfo> matchRulesOneByOne(const std::vector<DetectionRule>& rules, const std::string& path,
                                           const std::vector<std::uint8_t>& content);

}  // namespace quillvarden
