// The state of a scan, as reported to the page.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace quillvarden {

struct ScanProgress {
    std::int64_t totalFiles = 0;
    std::int64_t scannedFiles = 0;  // counting the file in progress
    std::int64_t threatsFound = 0;
    bool running = false;
    std::string currentFile;

    nlohmann::json toJson() const;

    bool operator==(const ScanProgress&) const = default;
};

}  // namespace quillvarden
