// Any bytes, as the head of a file in a temporary folder: no fault, and a record
// only with a score of at least 30 and a known severity.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/pe_heuristics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillvarden;
    const std::vector<std::uint8_t> content(data, data + size);
    const auto records = analyzePeImage("C:\\Users\\u\\AppData\\Local\\Temp\\sample.exe", content);
    if (records.size() > 1) std::abort();
    for (const ThreatInfo& record : records) {
        if (record.severity != Severity::Medium && record.severity != Severity::High &&
            record.severity != Severity::Critical) {
            std::abort();
        }
    }
    return 0;
}
