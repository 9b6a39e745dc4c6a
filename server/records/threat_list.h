// The process-wide list of every detection, oldest first. Every access goes through
// these functions, which hold threatListMutex for their whole duration; callers never
// hold it while they broadcast an event.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "server/records/threat_info.h"

namespace quillvarden {

extern std::vector<ThreatInfo> threatList;
extern std::mutex threatListMutex;

void addThreat(const ThreatInfo& threat);
std::vector<ThreatInfo> snapshotThreats();
void clearThreats();

enum class ThreatMark { Quarantined, Deleted };

// True when an entry's filePath equals path byte for byte and that entry still waits
// for action (neither quarantined nor deleted): the only files the routes may touch.
bool hasPendingThreatAt(const std::string& path);

// Marks every entry whose filePath equals path byte for byte; returns how many.
std::size_t markThreatsByPath(const std::string& path, ThreatMark mark);

}  // namespace quillvarden
