// One detection of one file, as it crosses every boundary of the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace quillvarden {

enum class ThreatType : std::int32_t {
    HashMatch = 0,
    YaraRule = 1,
    Heuristic = 2,
    Eicar = 3,
    Suspicious = 4,
};

enum class Severity : std::int32_t {
    Low = 0,
    Medium = 1,
    High = 2,
    Critical = 3,
};

// Total: unknown values read as Suspicious / Medium.
const char* threatTypeLabel(ThreatType type);
const char* threatTypeLabelCn(ThreatType type);
const char* severityLabel(Severity severity);
const char* severityLabelCn(Severity severity);

struct ThreatInfo {
    std::string filePath;
    std::string fileName;
    std::uint64_t fileSize = 0;
    std::string sha256;
    ThreatType type = ThreatType::Suspicious;
    Severity severity = Severity::Medium;
    std::string ruleName;
    std::string description;
    std::int64_t detectedAtMs = 0;
    bool quarantined = false;
    bool deleted = false;
    std::string signatureStatus;
    std::string signerName;
    std::string aiSummary;
    std::string aiStory;
    std::vector<std::string> aiSuggestions;

    nlohmann::json toJson() const;

    bool operator==(const ThreatInfo&) const = default;
};

}  // namespace quillvarden
