#include "server/records/scan_progress.h"

namespace quillvarden {

nlohmann::json ScanProgress::toJson() const {
    return nlohmann::json{
        {"currentFile", currentFile},
        {"running", running},
        {"scannedFiles", scannedFiles},
        {"threatsFound", threatsFound},
        {"totalFiles", totalFiles},
    };
}

}  // namespace quillvarden
