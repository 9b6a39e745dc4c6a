// The wiring phase of the server thread: every long-lived object is built here, the
// detection libraries and the trust list are loaded, and at the end everything is
// stopped again.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "server/app_services.h"

namespace quillvarden {

// Where "rules" and "signatures" directories are looked for: ".", "quillvarden",
// and the executable's directory + "../.." when that directory is known.
std::vector<std::string> detectionLibraryBases(const std::string& executableDirectory, char sep);

struct LibraryTotals {
    long long externalRules = 0;
    long long externalHashes = 0;
};

// Loads each base's rules, then its signatures; a directory string is loaded once.
LibraryTotals loadDetectionLibraries(DetectionEngine& engine, const std::vector<std::string>& bases, char sep);

// The one summary line of what was loaded.
std::string librarySummaryLine(const DetectionEngine& engine, const LibraryTotals& totals);

std::shared_ptr<AppServices> wireServices();

// Stops what the wiring started and waits for running scans, so that nothing still
// uses the objects when they are released.
void shutdownServices(AppServices& services);

}  // namespace quillvarden
