// Related events grouped into one scored attack chain.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "chain/security_event.h"

namespace quillvarden {

struct AttackChain {
    std::string id;                      // "chain-<n>", unique for the run
    std::vector<std::string> processes;  // distinct names, first seen first
    std::vector<SecurityEvent> events;   // arrival order
    std::uint32_t score = 0;             // 0..100
    std::int32_t level = 0;              // 0 low, 1 medium, 2 high
    std::vector<std::string> tactics;    // distinct, in kill-chain order
    std::vector<std::string> reasons;    // distinct, first seen first
    std::string summary;                 // written by the narrator
    std::string story;
    std::vector<std::string> suggestions;
    std::int64_t firstSeenMs = 0;
    std::int64_t lastSeenMs = 0;
    std::unordered_set<std::string> processSet;  // the names already in processes
};

// The parts with the separator between them ("、", " → ").
std::string joinTexts(const std::vector<std::string>& parts, const char* separator);

// "低危", "中危", "高危"; any other level reads as "低危".
const char* chainLevelLabelCn(std::int32_t level);
// "Low", "Medium", "High"; any other level reads as "Low".
const char* chainLevelLabel(std::int32_t level);

}  // namespace quillvarden
