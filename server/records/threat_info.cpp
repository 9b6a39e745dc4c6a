#include "server/records/threat_info.h"

namespace quillvarden {

const char* threatTypeLabel(ThreatType type) {
    switch (type) {
        case ThreatType::HashMatch: return "HashMatch";
        case ThreatType::YaraRule: return "YaraRule";
        case ThreatType::Heuristic: return "Heuristic";
        case ThreatType::Eicar: return "Eicar";
        default: return "Suspicious";
    }
}

const char* threatTypeLabelCn(ThreatType type) {
    switch (type) {
        case ThreatType::HashMatch: return "哈希黑名单命中";
        case ThreatType::YaraRule: return "规则特征命中";
        case ThreatType::Heuristic: return "PE 启发式检测";
        case ThreatType::Eicar: return "EICAR 测试文件";
        default: return "综合可疑";
    }
}

const char* severityLabel(Severity severity) {
    switch (severity) {
        case Severity::Low: return "Low";
        case Severity::High: return "High";
        case Severity::Critical: return "Critical";
        default: return "Medium";
    }
}

const char* severityLabelCn(Severity severity) {
    switch (severity) {
        case Severity::Low: return "低危";
        case Severity::High: return "高危";
        case Severity::Critical: return "严重";
        default: return "中危";
    }
}

nlohmann::json ThreatInfo::toJson() const {
    return nlohmann::json{
        {"aiStory", aiStory},
        {"aiSuggestions", aiSuggestions},
        {"aiSummary", aiSummary},
        {"deleted", deleted},
        {"description", description},
        {"detectedAtMs", detectedAtMs},
        {"fileName", fileName},
        {"filePath", filePath},
        {"fileSize", fileSize},
        {"quarantined", quarantined},
        {"ruleName", ruleName},
        {"severity", severityLabel(severity)},
        {"severityCn", severityLabelCn(severity)},
        {"sha256", sha256},
        {"signatureStatus", signatureStatus},
        {"signerName", signerName},
        {"type", threatTypeLabel(type)},
        {"typeCn", threatTypeLabelCn(type)},
    };
}

}  // namespace quillvarden
