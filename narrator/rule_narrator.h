// The template narrator: fixed Chinese templates, fully offline, no state, so any
// number of threads may narrate at once.
#pragma once

#include <string>
#include <vector>

#include "chain/attack_chain.h"
#include "narrator/narrator.h"

namespace quillvarden {

class RuleNarrator : public INarrator {
public:
    void narrate(AttackChain& chain) override;
    std::string name() const override { return "rule-template"; }

    // One step of the story.
    std::string describeEvent(const SecurityEvent& event) const;

private:
    std::string summaryOf(const AttackChain& chain) const;
    std::string storyOf(const AttackChain& chain) const;
    std::vector<std::string> suggestionsFor(const AttackChain& chain) const;
};

}  // namespace quillvarden
