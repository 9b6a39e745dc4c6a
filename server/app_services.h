// The long-lived objects of one server run, created once by the start-up wiring and
// shared with every route handler and worker. Scan workers hold a shared reference,
// so nothing they use is freed while one still runs.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "chain/chain_engine.h"
#include "engine/detection_engine.h"
#include "engine/quarantine.h"
#include "narrator/rule_narrator.h"
#include "server/records/scan_progress.h"
#include "server/scan_jobs.h"
#include "server/sse_hub.h"

namespace quillvarden {

struct AppServices {
    explicit AppServices(SseHubLimits hubLimits = {}) : hub(hubLimits) {}

    // Owns the narrator that the engine and the chain engine borrow.
    std::unique_ptr<INarrator> narrator = std::make_unique<RuleNarrator>();
    DetectionEngine engine;
    ChainEngine chainEngine{narrator.get()};
    SseHub hub;
    // The most recent progress of a directory scan, for clients that poll.
    std::mutex progressMutex;
    ScanProgress lastProgress;
    ScanJobs scanJobs;
    std::string quarantineDir = quarantineDirectory();
};

}  // namespace quillvarden
