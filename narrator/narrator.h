// Turns a scored attack chain into Chinese prose: a one-sentence summary, a story
// and response suggestions.
#pragma once

#include <string>

namespace quillvarden {

struct AttackChain;

class INarrator {
public:
    virtual ~INarrator() = default;
    // Fills summary, story and suggestions, replacing what was there.
    virtual void narrate(AttackChain& chain) = 0;
    virtual std::string name() const = 0;
};

}  // namespace quillvarden
