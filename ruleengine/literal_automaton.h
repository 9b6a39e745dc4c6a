// Finds many byte strings in one pass (Aho-Corasick). Keys are compared with ASCII
// letters folded to lower case; callers that need exact case check the candidate.
#pragma once

#include <cstddef>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillvarden {

class LiteralAutomaton {
public:
    // Adds a non-empty key (folded here) and returns its id; equal keys share one id.
    std::size_t addKey(std::string_view key);
    // Makes the automaton ready; no keys may be added afterwards.
    void build();

    std::size_t keyCount() const { return keyLengths_.size(); }
    std::size_t keyLength(std::size_t key) const { return keyLengths_[key]; }

    // Calls onHit(key, start) for every occurrence of every key in the text, in order
    // of the occurrence's end. onHit returns false to stop the scan.
    template <typename OnHit>
    void scan(std::string_view text, OnHit onHit) const;

private:
    static constexpr std::int32_t kRoot = 0;
    // Transitions into a state where some key ends carry the sign bit, so the scan
    // loop needs no second look-up for the common state without output.
    static constexpr std::int32_t kOutputFlag = INT32_MIN;
    static constexpr std::int32_t kStateMask = INT32_MAX;

    std::int32_t child(std::int32_t state, std::uint8_t cls) const {
        return next_[static_cast<std::size_t>(state) * classCount_ + cls] & kStateMask;
    }

    // Trie while building: per state, its children by folded byte.
    std::vector<std::vector<std::pair<std::uint8_t, std::int32_t>>> trie_{1};
    std::vector<std::int32_t> stateKey_{-1};  // the key that ends at the state, or -1
    std::vector<std::size_t> keyLengths_;

    // After build: a dense transition table over byte classes whose entries are the
    // target state's row offset (state * classCount_), sparing the scan loop a
    // multiplication; and for every state the nearest state (itself or along the
    // failure links) where a key ends.
    std::uint8_t byteClass_[256] = {};
    std::size_t classCount_ = 1;
    std::vector<std::int32_t> next_;
    std::vector<std::int32_t> outputLink_;
    std::vector<std::int32_t> failure_;
};

template <typename OnHit>
void LiteralAutomaton::scan(std::string_view text, OnHit onHit) const {
    if (next_.empty()) return;
    const std::int32_t* table = next_.data();
    std::int32_t row = 0;  // the current state's row in the table
    for (std::size_t i = 0; i < text.size(); ++i) {
        row = table[static_cast<std::size_t>(row) + byteClass_[static_cast<std::uint8_t>(text[i])]];
        if (row >= 0) continue;
        row &= kStateMask;  // a key ends here or at one of its suffixes
        const auto state = static_cast<std::size_t>(row) / classCount_;
        for (std::int32_t out = outputLink_[state]; out != -1; out = outputLink_[failure_[out]]) {
            const auto key = static_cast<std::size_t>(stateKey_[out]);
            if (!onHit(key, i + 1 - keyLengths_[key])) return;
        }
    }
}

}  // namespace quillvarden
