// What is in the quarantine folder, and getting it back out: each quarantined file has
// a small record beside it (written before the move, replaced in one step) that keeps
// where it came from, so that it can be restored after a restart.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillvarden {

struct QuarantineEntry {
    std::string name;          // the file's name inside the quarantine folder
    std::string originalPath;  // empty when it has no record (quarantined before records existed)
    std::uint64_t size = 0;
    std::int64_t quarantinedAtMs = 0;  // from the record; else the file's modification time
};

struct QuarantineRecord {
    std::string originalPath;
    std::int64_t quarantinedAtMs = 0;
    std::optional<std::uint32_t> mode;  // permission bits on systems that have them
};

// "<name>.record" beside the quarantined file.
std::string quarantineRecordPath(const std::string& quarantineDir, const std::string& name);
bool writeQuarantineRecord(const std::string& recordPath, const QuarantineRecord& record);
std::optional<QuarantineRecord> readQuarantineRecord(const std::string& recordPath);

// A name the routes may act on: a plain file name ending ".quarantine", with no path
// of its own (no separator, drive or parent reference).
bool isQuarantineName(const std::string& name);

// Newest first.
std::vector<QuarantineEntry> listQuarantine(const std::string& quarantineDir);

enum class QuarantineOutcome { Done, InvalidName, NotFound, NoRecord, TargetExists, Failed };

// Moves the file back to its original path (never over an existing file) with its
// permission bits, and drops its record. originalPath tells where it went (or would).
QuarantineOutcome restoreFromQuarantine(const std::string& quarantineDir, const std::string& name,
                                        std::string& originalPath);

// Deletes the file and its record for good.
QuarantineOutcome purgeFromQuarantine(const std::string& quarantineDir, const std::string& name);

}  // namespace quillvarden
