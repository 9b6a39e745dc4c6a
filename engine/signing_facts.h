// What the analysis stage learns about a file's code signature.
#pragma once

#include <string>

#include "engine/detection_engine.h"

namespace quillvarden {

struct DetectionEngine::SigningFacts {
    bool trusted = false;  // a valid signature: the costly analysis is spared
    std::string statusText;
    std::string signerName;
};

}  // namespace quillvarden
