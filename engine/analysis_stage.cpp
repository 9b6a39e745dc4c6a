// The analysis stage of the scan pipeline: signing status, content analysis,
// signing fields on every record, and narration.
#include "engine/detection_engine.h"
#include "engine/signing_facts.h"

namespace quillvarden {

DetectionEngine::SigningFacts DetectionEngine::determineSigning(const std::string&) const {
    return {};
}

std::vector<ThreatInfo> DetectionEngine::analyzeContent(const std::string&, const std::vector<std::uint8_t>&,
                                                        const SigningFacts&) const {
    return {};
}

void DetectionEngine::stampSigning(std::vector<ThreatInfo>&, const SigningFacts&) const {}

void DetectionEngine::narrateRecords(std::vector<ThreatInfo>&) const {}

}  // namespace quillvarden
