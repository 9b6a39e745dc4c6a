// The analysis stage of the scan pipeline: the file's signing status, the costly
// content analysis (rules and PE heuristics) for files that are neither validly
// signed nor the system's own, the signing fields on every record, and narration.
#include "chain/attack_chain.h"
#include "engine/detection_engine.h"
#include "engine/file_filters.h"
#include "engine/pe_heuristics.h"
#include "narrator/narrator.h"

namespace quillvarden {
namespace {

// One record told as a one-event chain, for the narrator only.
AttackChain carrierChain(const ThreatInfo& record) {
    AttackChain chain;
    chain.id = "scan-" + record.sha256.substr(0, 8);
    chain.processes = {record.fileName};
    SecurityEvent event;
    event.timestampMs = record.detectedAtMs;
    event.kind = EventKind::FileWrite;
    event.processName = record.fileName;
    event.parentName = "explorer.exe";
    event.processPath = record.filePath;
    event.target = record.filePath;
    event.detail = record.ruleName + ": " + record.description;
    chain.events = {event};
    switch (record.severity) {
        case Severity::Critical: chain.score = 90; chain.level = 2; break;
        case Severity::High: chain.score = 70; chain.level = 2; break;
        case Severity::Medium: chain.score = 50; chain.level = 1; break;
        default: chain.score = 30; chain.level = 0; break;
    }
    chain.tactics = {"执行"};
    chain.reasons = {record.description};
    chain.firstSeenMs = record.detectedAtMs;
    chain.lastSeenMs = record.detectedAtMs;
    return chain;
}

}  // namespace

std::vector<ThreatInfo> DetectionEngine::analyzePe(const std::string& path,
                                                   const std::vector<std::uint8_t>& content) const {
    return analyzePeImage(path, content);
}

SigningVerdict DetectionEngine::determineSigning(const std::string& path) const {
    return signingCheck ? signingCheck(path) : SigningVerdict{};
}

std::vector<ThreatInfo> DetectionEngine::analyzeContent(const std::string& path,
                                                        const std::vector<std::uint8_t>& content,
                                                        const SigningVerdict& signing) const {
    if (signing.status == SignatureStatus::Trusted || isSystemPathUnder(path, systemFolders)) return {};
    std::vector<ThreatInfo> records = matchRules(path, content);
    for (ThreatInfo& record : analyzePe(path, content)) records.push_back(std::move(record));
    return records;
}

void DetectionEngine::stampSigning(std::vector<ThreatInfo>& records, const SigningVerdict& signing) const {
    for (ThreatInfo& record : records) {
        record.signatureStatus = signatureStatusText(signing.status);
        record.signerName = signing.signer;
    }
}

void DetectionEngine::narrateRecords(std::vector<ThreatInfo>& records) const {
    if (!narrator) return;
    for (ThreatInfo& record : records) {
        AttackChain chain = carrierChain(record);
        narrator->narrate(chain);
        record.aiSummary = std::move(chain.summary);
        record.aiStory = std::move(chain.story);
        record.aiSuggestions = std::move(chain.suggestions);
    }
}

}  // namespace quillvarden
