#include "engine/quarantine_vault.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "platform/directory_listing.h"
#include "platform/file_attributes.h"
#include "platform/file_io.h"
#include "platform/process_paths.h"
#include "server/records/json_text.h"

namespace quillvarden {
namespace {

constexpr std::string_view kQuarantineSuffix = ".quarantine";
constexpr const char* kRecordSuffix = ".record";
constexpr std::size_t kMaxRecordBytes = 64 * 1024;

std::string inVault(const std::string& dir, const std::string& name) {
    return dir + platform::kPathSeparator + name;
}

}  // namespace

std::string quarantineRecordPath(const std::string& quarantineDir, const std::string& name) {
    return inVault(quarantineDir, name) + kRecordSuffix;
}

bool writeQuarantineRecord(const std::string& recordPath, const QuarantineRecord& record) {
    nlohmann::json json = {{"originalPath", record.originalPath}, {"quarantinedAtMs", record.quarantinedAtMs}};
    if (record.mode) json["mode"] = *record.mode;
    return platform::replaceFileContent(recordPath, dumpCompact(json), platform::FileAccess::OwnerOnly);
}

std::optional<QuarantineRecord> readQuarantineRecord(const std::string& recordPath) {
    const auto text = platform::readFilePrefix(recordPath, kMaxRecordBytes);
    if (!text) return std::nullopt;
    const auto json = nlohmann::json::parse(*text, nullptr, false);
    if (!json.is_object() || !json.contains("originalPath") || !json["originalPath"].is_string()) return std::nullopt;
    QuarantineRecord record;
    record.originalPath = json["originalPath"].get<std::string>();
    if (json.contains("quarantinedAtMs") && json["quarantinedAtMs"].is_number_integer()) {
        record.quarantinedAtMs = json["quarantinedAtMs"].get<std::int64_t>();
    }
    if (json.contains("mode") && json["mode"].is_number_unsigned()) record.mode = json["mode"].get<std::uint32_t>();
    if (record.originalPath.empty()) return std::nullopt;
    return record;
}

bool isQuarantineName(const std::string& name) {
    if (name.size() <= kQuarantineSuffix.size() || name == "." || name == "..") return false;
    if (name.compare(name.size() - kQuarantineSuffix.size(), kQuarantineSuffix.size(), kQuarantineSuffix) != 0) {
        return false;
    }
    // No directory of its own, no drive, no stream, nothing that ends the string early.
    return name.find_first_of(std::string("/\\:\0", 4)) == std::string::npos && name.rfind("..", 0) != 0;
}

std::vector<QuarantineEntry> listQuarantine(const std::string& quarantineDir) {
    std::vector<QuarantineEntry> entries;
    std::vector<platform::DirectoryEntry> listing;
    if (!platform::listDirectory(quarantineDir, listing)) return entries;
    for (const platform::DirectoryEntry& item : listing) {
        if (item.isDirectory || !isQuarantineName(item.name)) continue;
        const std::string path = inVault(quarantineDir, item.name);
        QuarantineEntry entry;
        entry.name = item.name;
        const auto identity = platform::fileIdentity(path);
        if (identity) {
            entry.size = identity->size;
            entry.quarantinedAtMs = identity->modifiedNs / 1000000;
        }
        if (const auto record = readQuarantineRecord(quarantineRecordPath(quarantineDir, item.name))) {
            entry.originalPath = record->originalPath;
            if (record->quarantinedAtMs > 0) entry.quarantinedAtMs = record->quarantinedAtMs;
        }
        entries.push_back(std::move(entry));
    }
    std::stable_sort(entries.begin(), entries.end(), [](const QuarantineEntry& a, const QuarantineEntry& b) {
        return a.quarantinedAtMs != b.quarantinedAtMs ? a.quarantinedAtMs > b.quarantinedAtMs : a.name < b.name;
    });
    return entries;
}

QuarantineOutcome restoreFromQuarantine(const std::string& quarantineDir, const std::string& name,
                                        std::string& originalPath) {
    originalPath.clear();
    if (!isQuarantineName(name)) return QuarantineOutcome::InvalidName;
    const std::string path = inVault(quarantineDir, name);
    const platform::FileAttributes attributes = platform::fileAttributes(path);
    if (!attributes.exists || attributes.isDirectory) return QuarantineOutcome::NotFound;
    const std::string recordPath = quarantineRecordPath(quarantineDir, name);
    const auto record = readQuarantineRecord(recordPath);
    if (!record) return QuarantineOutcome::NoRecord;
    originalPath = record->originalPath;
    if (platform::fileAttributes(originalPath).exists) return QuarantineOutcome::TargetExists;
    // The move refuses an existing target itself, so a file that appears meanwhile is safe.
    if (!platform::moveFileNoReplace(path, originalPath)) {
        return platform::fileAttributes(originalPath).exists ? QuarantineOutcome::TargetExists
                                                              : QuarantineOutcome::Failed;
    }
    if (record->mode) platform::setPermissionBits(originalPath, *record->mode);
    platform::removeFile(recordPath);
    return QuarantineOutcome::Done;
}

QuarantineOutcome purgeFromQuarantine(const std::string& quarantineDir, const std::string& name) {
    if (!isQuarantineName(name)) return QuarantineOutcome::InvalidName;
    const std::string path = inVault(quarantineDir, name);
    const platform::FileAttributes attributes = platform::fileAttributes(path);
    if (!attributes.exists || attributes.isDirectory) return QuarantineOutcome::NotFound;
    // A quarantined file that was read-only is deleted all the same: the user asked for it.
    if (!platform::removeFile(path) && !(platform::makeWritable(path) && platform::removeFile(path))) {
        return QuarantineOutcome::Failed;
    }
    platform::removeFile(quarantineRecordPath(quarantineDir, name));
    return QuarantineOutcome::Done;
}

}  // namespace quillvarden
