// Walking a directory tree and scanning each file, with progress and a stop.
#include "engine/detection_engine.h"
#include "engine/directory_walk.h"
#include "engine/file_filters.h"
#include "platform/process_paths.h"

namespace quillvarden {

void DetectionEngine::collectFiles(const std::string& root, std::vector<std::string>& out) {
    DirectoryWalk walk;
    walk.onFile = [&](const std::string& path, const std::string&) { out.push_back(path); };
    walk.enterDirectory = [&](const std::string& path, const std::string& name) {
        return !containsIgnoreCase(name, "quarantine") && !isTrusted(path + platform::kPathSeparator);
    };
    walkDirectoryTree(root, walk);
}

ScanTicket DetectionEngine::claimDirectoryScan(bool onlyIfIdle) {
    std::lock_guard<std::mutex> lock(scanStateMutex_);
    if (onlyIfIdle && scanning.load()) return 0;
    const ScanTicket ticket = scanEpoch_.load() + 1;
    scanEpoch_.store(ticket);
    scanning.store(true);
    return ticket;
}

ScanTicket DetectionEngine::tryBeginDirectoryScan() {
    return claimDirectoryScan(true);
}

void DetectionEngine::stopDirectoryScan() {
    std::lock_guard<std::mutex> lock(scanStateMutex_);
    // A new epoch: the stopped scan stays stopped even if another starts at once.
    scanEpoch_.store(scanEpoch_.load() + 1);
    scanning.store(false);
}

bool DetectionEngine::scanStillWanted(ScanTicket ticket) const {
    return scanning.load() && scanEpoch_.load() == ticket;
}

void DetectionEngine::endDirectoryScan(ScanTicket ticket) {
    std::lock_guard<std::mutex> lock(scanStateMutex_);
    // Only the scan that owns the flag clears it; a later scan keeps running.
    if (scanEpoch_.load() == ticket) scanning.store(false);
}

void DetectionEngine::scanDirectory(const std::string& root, const ThreatCallback& onThreat,
                                    const ProgressCallback& onProgress) {
    runDirectoryScan(claimDirectoryScan(false), root, onThreat, onProgress);
}

void DetectionEngine::runDirectoryScan(ScanTicket ticket, const std::string& root, const ThreatCallback& onThreat,
                                       const ProgressCallback& onProgress) {
    std::vector<std::string> files;
    collectFiles(root, files);

    ScanProgress progress;
    progress.totalFiles = static_cast<std::int64_t>(files.size());
    progress.running = true;
    if (onProgress) onProgress(progress);

    for (const std::string& file : files) {
        if (!scanStillWanted(ticket)) break;
        progress.currentFile = file;
        ++progress.scannedFiles;
        for (const ThreatInfo& record : scanFileGuarded(file)) {
            ++progress.threatsFound;
            if (onThreat) onThreat(record);
        }
        if (onProgress) onProgress(progress);
    }

    progress.running = false;
    progress.currentFile.clear();
    endDirectoryScan(ticket);
    if (onProgress) onProgress(progress);
}

}  // namespace quillvarden
