#include "server/app_services.h"

#include "platform/process_paths.h"

namespace quillvarden {

AppServices::AppServices(AppServicesOptions options, NarratorSelection selection)
    : narration(std::move(selection)),
      chainEngine(narration.narrator.get()),
      hub(options.hubLimits),
      isElevated(std::move(options.isElevated)),
      autostartAlert(chainEngine, eventSink(), reblockGuards,
                     // A revoked autostart file goes into quarantine, where the user can
                     // get it back, rather than being deleted.
                     [this](const std::string& entryFile) { return quarantineFileInto(entryFile, quarantineDir); }),
      execProtection(engine, eventSink(), platform::executablePath()),
      registryMonitor(std::move(options.autostartLocations)) {
    engine.narrator = narration.narrator.get();
}

AppServices::~AppServices() { stopProtections(); }

EventSink AppServices::eventSink() {
    return [this](const std::string& event, const std::string& data) { hub.broadcast(event, data); };
}

void AppServices::startAutostartProtection() {
    registryMonitor.ensureStarted([this](const RegistryEvent& event) { autostartAlert(event); });
}

void AppServices::startExecProtection() {
    processMonitor.ensureStarted([this](const ProcessEvent& event) { execProtection(event); });
}

void AppServices::stopProtections() {
    directoryMonitor.stop();
    registryMonitor.stop();
    processMonitor.stop();
    reblockGuards.stopAll();
}

}  // namespace quillvarden
