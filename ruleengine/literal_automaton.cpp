#include "ruleengine/literal_automaton.h"

#include <algorithm>
#include <queue>

#include "platform/ascii_text.h"

namespace quillvarden {

std::size_t LiteralAutomaton::addKey(std::string_view key) {
    std::int32_t state = kRoot;
    for (const char raw : key) {
        const auto byte = static_cast<std::uint8_t>(toLowerAscii(raw));
        auto& children = trie_[static_cast<std::size_t>(state)];
        auto found = std::find_if(children.begin(), children.end(), [&](const auto& c) { return c.first == byte; });
        if (found != children.end()) {
            state = found->second;
            continue;
        }
        const auto created = static_cast<std::int32_t>(trie_.size());
        children.emplace_back(byte, created);
        trie_.emplace_back();
        stateKey_.push_back(-1);
        state = created;
    }
    if (stateKey_[static_cast<std::size_t>(state)] == -1) {
        stateKey_[static_cast<std::size_t>(state)] = static_cast<std::int32_t>(keyLengths_.size());
        keyLengths_.push_back(key.size());
    }
    return static_cast<std::size_t>(stateKey_[static_cast<std::size_t>(state)]);
}

void LiteralAutomaton::build() {
    // Bytes that occur in no key share class 0, which keeps the table small. A byte
    // reads as its folded form, so 'A' and 'a' share a class.
    bool used[256] = {};
    for (const auto& children : trie_) {
        for (const auto& [byte, target] : children) used[byte] = true;
    }
    std::uint8_t foldedClass[256] = {};
    classCount_ = 1;
    for (int b = 0; b < 256; ++b) {
        if (used[b]) foldedClass[b] = static_cast<std::uint8_t>(classCount_++);
    }
    for (int b = 0; b < 256; ++b) {
        byteClass_[b] = foldedClass[static_cast<std::uint8_t>(toLowerAscii(static_cast<char>(b)))];
    }

    const std::size_t states = trie_.size();
    next_.assign(states * classCount_, kRoot);
    failure_.assign(states, kRoot);
    outputLink_.assign(states, -1);

    // Breadth first: a state's failure target is always finished before it.
    std::queue<std::int32_t> pending;
    for (const auto& [byte, target] : trie_[kRoot]) {
        next_[foldedClass[byte]] = target;
        pending.push(target);
    }
    while (!pending.empty()) {
        const std::int32_t state = pending.front();
        pending.pop();
        const auto s = static_cast<std::size_t>(state);
        const std::int32_t fail = failure_[s];
        outputLink_[s] = stateKey_[s] != -1 ? state : outputLink_[static_cast<std::size_t>(fail)];
        // Missing transitions go where the failure state's would.
        std::copy_n(next_.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(fail) * classCount_),
                    classCount_, next_.begin() + static_cast<std::ptrdiff_t>(s * classCount_));
        for (const auto& [byte, target] : trie_[s]) {
            const std::uint8_t cls = foldedClass[byte];
            failure_[static_cast<std::size_t>(target)] = child(fail, cls);
            next_[s * classCount_ + cls] = target;
            pending.push(target);
        }
    }
    for (std::int32_t& target : next_) {
        const bool output = outputLink_[static_cast<std::size_t>(target)] != -1;
        target = static_cast<std::int32_t>(static_cast<std::size_t>(target) * classCount_);
        if (output) target |= kOutputFlag;
    }
    trie_.clear();
    trie_.shrink_to_fit();
}

}  // namespace quillvarden
