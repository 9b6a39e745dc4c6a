// Groups security events into attack chains by the processes involved and by
// time, re-scores a chain whenever it grows, and has the narrator tell it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "chain/attack_chain.h"

namespace quillvarden {

class INarrator;

class ChainEngine {
public:
    explicit ChainEngine(INarrator* narrator = nullptr) : narrator(narrator) {}

    // Files the event under its chain, re-scores and narrates the chain, and returns
    // a copy of it that belongs to the caller. Any thread.
    AttackChain ingestEvent(const SecurityEvent& event);

    // Events more than this long after their chain's last event start a new chain.
    static constexpr std::int64_t kChainWindowMs = 5 * 60 * 1000;

    std::vector<AttackChain> chains;
    std::unordered_map<std::string, std::size_t> processToChain;
    std::int32_t nextId = 1;
    INarrator* narrator = nullptr;  // borrowed; may be null
    std::mutex mutex;

    // With mutex held.
    std::size_t assignChain(const SecurityEvent& event);
    void rescoreChain(std::size_t index);
};

}  // namespace quillvarden
