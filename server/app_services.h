// The long-lived objects of one server run. Created once by the start-up wiring and
// kept until serving has ended; route handlers and monitor callbacks hold references.
#pragma once

#include "server/sse_hub.h"

namespace quillvarden {

struct AppServices {
    explicit AppServices(SseHubLimits hubLimits = {}) : hub(hubLimits) {}

    SseHub hub;
};

}  // namespace quillvarden
