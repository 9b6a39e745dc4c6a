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
#include "narrator/narrator_selection.h"
#include "narrator/rule_narrator.h"
#include "server/records/scan_progress.h"
#include "server/scan_jobs.h"
#include "server/sse_hub.h"

namespace quillvarden {

// The template narrator, chosen without a word on the console.
inline NarratorSelection templateNarration() {
    NarratorSelection selection;
    selection.narrator = std::make_unique<RuleNarrator>();
    return selection;
}

struct AppServices {
    explicit AppServices(SseHubLimits hubLimits = {}, NarratorSelection selection = templateNarration())
        : narration(std::move(selection)), chainEngine(narration.narrator.get()), hub(hubLimits) {
        engine.narrator = narration.narrator.get();
    }

    // Owns the narrator that the engine and the chain engine borrow; the health
    // report reads its mode and model name.
    NarratorSelection narration;
    DetectionEngine engine;
    ChainEngine chainEngine;
    SseHub hub;
    // The most recent progress of a directory scan, for clients that poll.
    std::mutex progressMutex;
    ScanProgress lastProgress;
    ScanJobs scanJobs;
    std::string quarantineDir = quarantineDirectory();
};

}  // namespace quillvarden
