// The record one matching rule yields.
#pragma once

#include <string>

#include "ruleengine/detection_rule.h"
#include "server/records/threat_info.h"
#include "server/records/wall_clock.h"

namespace quillvarden {

inline ThreatInfo ruleMatchRecord(const std::string& path, const std::string& fileName, const std::string& ruleName,
                                  const std::string& description, std::int32_t severity) {
    ThreatInfo record;
    record.filePath = path;
    record.fileName = fileName;
    record.type = ThreatType::YaraRule;
    record.severity = static_cast<Severity>(severity);
    record.ruleName = ruleName;
    record.description = description;
    record.detectedAtMs = nowMs();
    return record;
}

// Regular expressions see no more than this much of the content.
inline constexpr std::size_t kRegexWindowBytes = 65536;

}  // namespace quillvarden
