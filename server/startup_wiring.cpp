#include "server/startup_wiring.h"

#include <chrono>
#include <set>

#include "platform/console.h"
#include "platform/file_attributes.h"
#include "platform/process_paths.h"
#include "protection/protection_switches.h"

namespace quillvarden {

std::vector<std::string> detectionLibraryBases(const std::string& executableDirectory, char sep) {
    std::vector<std::string> bases = {".", "quillvarden"};
    if (!executableDirectory.empty()) bases.push_back(executableDirectory + sep + ".." + sep + "..");
    return bases;
}

LibraryTotals loadDetectionLibraries(DetectionEngine& engine, const std::vector<std::string>& bases, char sep) {
    LibraryTotals totals;
    std::set<std::string> loaded;  // the same path string is loaded once; other spellings are not merged
    for (const std::string& base : bases) {
        const std::string rules = base + sep + "rules";
        if (platform::isDirectory(rules) && loaded.insert("r:" + rules).second) {
            totals.externalRules += engine.loadRuleDirectory(rules);
        }
        const std::string signatures = base + sep + "signatures";
        if (platform::isDirectory(signatures) && loaded.insert("s:" + signatures).second) {
            totals.externalHashes += engine.loadSignatureDirectory(signatures);
        }
    }
    return totals;
}

std::string librarySummaryLine(const DetectionEngine& engine, const LibraryTotals& totals) {
    const std::size_t hashes = engine.sha256Table.size() + engine.md5Table.size() + engine.sha1Table.size();
    return "[羽岚 Quillvarden] 检测库加载完成：规则 " + std::to_string(engine.rules.size()) + " 条(外部新增 " +
           std::to_string(totals.externalRules) + ")，哈希 " + std::to_string(hashes) + " 条(外部新增 " +
           std::to_string(totals.externalHashes) + ")";
}

std::shared_ptr<AppServices> wireServices() {
    // The narrator comes first: a model, when there is one, loads before the libraries.
    auto services = std::make_shared<AppServices>(AppServicesOptions{}, selectNarrator());
    DetectionEngine& engine = services->engine;
    engine.loadBuiltins();

    const LibraryTotals totals = loadDetectionLibraries(
        engine, detectionLibraryBases(platform::executableDirectory(), platform::kPathSeparator),
        platform::kPathSeparator);
    platform::writeOutLine(librarySummaryLine(engine, totals));
    engine.prepareRules();

    engine.loadTrustList();

    services->directoryMonitor.setExtensions(monitoredExtensions());
    if (protectionEnabled.load()) services->startAutostartProtection();
    if (execProtectionEnabled.load()) services->startExecProtection();
    return services;
}

void shutdownServices(AppServices& services) {
    // Directory monitor, autostart monitor, process monitor, then the guards: none
    // of them may still run when the objects they use are released.
    services.stopProtections();
    services.engine.stopDirectoryScan();
    services.scanJobs.waitForAll(std::chrono::seconds(30));
}

}  // namespace quillvarden
