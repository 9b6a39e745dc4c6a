#include "chain/chain_engine.h"

#include <algorithm>

#include "chain/tactic_rules.h"
#include "narrator/narrator.h"

namespace quillvarden {
namespace {

constexpr const char* kMultiStageReason = "命中多个 ATT&CK 战术阶段，构成完整攻击链，风险叠加";

void appendOnce(std::vector<std::string>& list, const std::string& value) {
    if (std::find(list.begin(), list.end(), value) == list.end()) list.push_back(value);
}

void noteProcess(AttackChain& chain, const std::string& name) {
    if (chain.processSet.insert(name).second) chain.processes.push_back(name);
}

}  // namespace

std::string joinTexts(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) text += separator;
        text += parts[i];
    }
    return text;
}

const char* chainLevelLabelCn(std::int32_t level) {
    return level == 2 ? "高危" : level == 1 ? "中危" : "低危";
}

const char* chainLevelLabel(std::int32_t level) {
    return level == 2 ? "High" : level == 1 ? "Medium" : "Low";
}

std::size_t ChainEngine::assignChain(const SecurityEvent& event) {
    auto recent = [&](const std::string& name, std::size_t& index) {
        if (name.empty()) return false;
        const auto found = processToChain.find(name);
        if (found == processToChain.end()) return false;
        const AttackChain& chain = chains[found->second];
        // An earlier time also qualifies; the difference is taken without overflow.
        const bool withinWindow =
            event.timestampMs <= chain.lastSeenMs ||
            static_cast<std::uint64_t>(event.timestampMs) - static_cast<std::uint64_t>(chain.lastSeenMs) <=
                static_cast<std::uint64_t>(kChainWindowMs);
        if (event.timestampMs == 0 || chain.lastSeenMs == 0 || withinWindow) {
            index = found->second;
            return true;
        }
        return false;
    };
    std::size_t index = 0;
    if (recent(event.parentName, index) || recent(event.processName, index)) return index;

    AttackChain chain;
    chain.id = "chain-" + std::to_string(nextId++);
    chains.push_back(std::move(chain));
    return chains.size() - 1;
}

void ChainEngine::rescoreChain(std::size_t index) {
    AttackChain& chain = chains[index];
    std::uint64_t total = 0;
    std::vector<std::string> reasons;
    std::vector<std::string> tactics;
    for (const SecurityEvent& event : chain.events) {
        for (const TacticHit& hit : evaluateEvent(event)) {
            total += hit.score;
            appendOnce(reasons, hit.reason);
            if (!hit.tactic.empty()) appendOnce(tactics, hit.tactic);
        }
    }
    if (tactics.size() >= 3) {
        total += 10;
        appendOnce(reasons, kMultiStageReason);
    }
    chain.score = static_cast<std::uint32_t>(std::min<std::uint64_t>(total, 100));
    std::stable_sort(tactics.begin(), tactics.end(),
                     [](const std::string& a, const std::string& b) { return tacticOrder(a) < tacticOrder(b); });
    chain.level = chain.score >= 70 ? 2 : chain.score >= 40 ? 1 : 0;
    chain.tactics = std::move(tactics);
    chain.reasons = std::move(reasons);
}

AttackChain ChainEngine::ingestEvent(const SecurityEvent& event) {
    std::lock_guard<std::mutex> lock(mutex);
    const std::size_t index = assignChain(event);
    AttackChain& chain = chains[index];
    chain.events.push_back(event);
    if (chain.firstSeenMs == 0 || chain.firstSeenMs > event.timestampMs) chain.firstSeenMs = event.timestampMs;
    if (chain.lastSeenMs < event.timestampMs) chain.lastSeenMs = event.timestampMs;
    for (const std::string* name : {&event.parentName, &event.processName}) {
        if (name->empty()) continue;
        processToChain[*name] = index;
        noteProcess(chain, *name);
    }
    rescoreChain(index);
    if (narrator) narrator->narrate(chain);
    return chain;
}

}  // namespace quillvarden
