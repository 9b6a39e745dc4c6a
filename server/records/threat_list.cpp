#include "server/records/threat_list.h"

namespace quillvarden {

std::vector<ThreatInfo> threatList;
std::mutex threatListMutex;

void addThreat(const ThreatInfo& threat) {
    std::lock_guard<std::mutex> lock(threatListMutex);
    threatList.push_back(threat);
}

std::vector<ThreatInfo> snapshotThreats() {
    std::lock_guard<std::mutex> lock(threatListMutex);
    return threatList;
}

void clearThreats() {
    std::lock_guard<std::mutex> lock(threatListMutex);
    threatList.clear();
}

bool hasPendingThreatAt(const std::string& path) {
    std::lock_guard<std::mutex> lock(threatListMutex);
    for (const ThreatInfo& threat : threatList) {
        if (threat.filePath == path && !threat.quarantined && !threat.deleted) return true;
    }
    return false;
}

std::size_t markThreatsByPath(const std::string& path, ThreatMark mark) {
    std::lock_guard<std::mutex> lock(threatListMutex);
    std::size_t marked = 0;
    for (ThreatInfo& threat : threatList) {
        if (threat.filePath != path) continue;
        (mark == ThreatMark::Quarantined ? threat.quarantined : threat.deleted) = true;
        ++marked;
    }
    return marked;
}

}  // namespace quillvarden
