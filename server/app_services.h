// The long-lived objects of one server run, created once by the start-up wiring and
// shared with every route handler, worker and monitor. Scan workers hold a shared
// reference, so nothing they use is freed while one still runs.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "chain/chain_engine.h"
#include "engine/detection_engine.h"
#include "engine/quarantine.h"
#include "narrator/narrator_selection.h"
#include "narrator/rule_narrator.h"
#include "platform/autostart_store.h"
#include "platform/processes.h"
#include "protection/autostart_alert.h"
#include "protection/directory_monitor.h"
#include "protection/event_sink.h"
#include "protection/exec_protection.h"
#include "protection/process_monitor.h"
#include "protection/reblock_guards.h"
#include "protection/registry_monitor.h"
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

struct AppServicesOptions {
    SseHubLimits hubLimits;
    // Where autostart protection looks; the system's own unless a test says otherwise.
    std::vector<platform::AutostartLocation> autostartLocations = platform::defaultAutostartLocations();
    // Whether this process runs elevated; the system's answer unless a test says otherwise.
    std::function<bool()> isElevated = platform::isProcessElevated;
};

struct AppServices {
    explicit AppServices(AppServicesOptions options = {}, NarratorSelection selection = templateNarration());
    ~AppServices();
    AppServices(const AppServices&) = delete;
    AppServices& operator=(const AppServices&) = delete;

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
    std::function<bool()> isElevated;

    // Declared after everything their threads use, so that they are gone first.
    ReblockGuards reblockGuards;
    AutostartAlertHandler autostartAlert;
    ExecProtectionHandler execProtection;
    DirectoryMonitor directoryMonitor;
    RegistryMonitor registryMonitor;
    ProcessMonitor processMonitor;

    // The event stream, as the protections see it.
    EventSink eventSink();
    // Start the monitor with its prepared handler unless it runs already.
    void startAutostartProtection();
    void startExecProtection();
    // Stops the monitors (directory, autostart, processes) and the re-block guards.
    void stopProtections();
};

}  // namespace quillvarden
