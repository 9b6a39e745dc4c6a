// The per-file scan: filters, one read, digests, then the detectors in a fixed order.
#include "engine/scan_pipeline.h"

#include <algorithm>
#include <string_view>

#include "engine/detection_engine.h"
#include "engine/file_filters.h"
#include "engine/file_hash.h"
#include "platform/file_attributes.h"
#include "platform/file_io.h"
#include "platform/process_paths.h"
#include "server/records/wall_clock.h"

namespace quillvarden {
namespace {

constexpr std::string_view kEicar =
    "X5O!P%@AP[4\\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*";
static_assert(kEicar.size() == 68);
// The test string counts only where it starts early enough to end within these bytes.
constexpr std::size_t kEicarWindow = 128;

bool containsEicar(const std::vector<std::uint8_t>& content) {
    if (content.size() < kEicar.size()) return false;
    const std::string_view window(reinterpret_cast<const char*>(content.data()),
                                  std::min(content.size(), kEicarWindow));
    return window.find(kEicar) != std::string_view::npos;
}

struct FileFacts {
    std::string path;
    std::string name;
    std::uint64_t size = 0;
    std::string sha256;
};

ThreatInfo recordFor(const FileFacts& file, ThreatType type, Severity severity, std::string ruleName,
                     std::string description) {
    ThreatInfo record;
    record.filePath = file.path;
    record.fileName = file.name;
    record.fileSize = file.size;
    record.sha256 = file.sha256;
    record.type = type;
    record.severity = severity;
    record.ruleName = std::move(ruleName);
    record.description = std::move(description);
    record.detectedAtMs = nowMs();
    return record;
}

}  // namespace

std::vector<std::uint8_t> readFileHead(const std::string& path) {
    platform::FileReader reader;
    if (!reader.open(path)) return {};
    const std::uint64_t size = reader.size().value_or(0);
    if (size == 0) return {};
    std::vector<std::uint8_t> content(static_cast<std::size_t>(std::min<std::uint64_t>(size, kMaxContentBytes)));
    content.resize(reader.readFully(content.data(), content.size()));
    return content;
}

std::vector<ThreatInfo> DetectionEngine::scanFile(const std::string& path) {
    // Steps 1-4: filters that need no I/O.
    FileFacts file;
    file.path = path;
    file.name = platform::fileNameOf(path);
    // Programs without an extension (every native one on Linux) are known by their
    // execute permission: one stat, no read.
    if (!hasScannableExtension(file.name) && !platform::isExecutableFile(path)) return {};
    if (isSelfPath(path)) return {};
    if (isTrusted(path)) return {};

    // Step 5: one read of the head; an empty or unreadable file has nothing to find.
    const std::vector<std::uint8_t> content = readFileHead(path);
    if (content.empty()) return {};

    // Steps 6-7: size and whole-file digests; MD5 and SHA-1 only when such
    // signatures exist, sparing two full reads of every file otherwise.
    file.size = platform::fileSize(path).value_or(0);
    file.sha256 = hashFile(path, "SHA256", 32);
    const std::string md5 = md5Table.empty() ? std::string() : hashFile(path, "MD5", 16);
    const std::string sha1 = sha1Table.empty() ? std::string() : hashFile(path, "SHA1", 20);

    // Step 8: signing status (analysis stage).
    const SigningVerdict signing = determineSigning(path);

    std::vector<ThreatInfo> records;
    // Step 9: the EICAR test file.
    if (containsEicar(content)) {
        records.push_back(recordFor(file, ThreatType::Eicar, Severity::Low, "EICAR-Test-File",
                                    "EICAR 标准防病毒测试文件"));
    }

    // Step 10: the digest blacklist; the first table that knows the file wins.
    struct Lookup {
        const std::string& digest;
        const HashTable& table;
        const char* kind;
    };
    for (const Lookup& lookup : {Lookup{file.sha256, sha256Table, "SHA256"}, Lookup{md5, md5Table, "MD5"},
                                 Lookup{sha1, sha1Table, "SHA1"}}) {
        if (lookup.digest.empty()) continue;
        const auto hit = lookup.table.find(lookup.digest);
        if (hit == lookup.table.end()) continue;
        records.push_back(recordFor(file, ThreatType::HashMatch, Severity::Critical, hit->second,
                                    std::string("文件 ") + lookup.kind + " 命中恶意软件哈希黑名单"));
        break;
    }

    // Step 11: content analysis by rules and PE heuristics (analysis stage).
    for (ThreatInfo& record : analyzeContent(path, content, signing)) {
        record.fileSize = file.size;
        record.sha256 = file.sha256;
        records.push_back(std::move(record));
    }

    // Steps 13-14: signing fields and narration of every record (analysis stage).
    stampSigning(records, signing);
    narrateRecords(records);
    return records;
}

std::vector<ThreatInfo> DetectionEngine::scanFileGuarded(const std::string& path) {
    // One file's failure (an allocation that cannot be met, anything thrown) must
    // not end a scan of thousands.
    try {
        return scanFile(path);
    } catch (...) {
        return {};
    }
}

}  // namespace quillvarden
