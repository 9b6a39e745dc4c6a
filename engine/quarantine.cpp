#include "engine/quarantine.h"

#include "engine/quarantine_vault.h"
#include "platform/console.h"
#include "platform/file_attributes.h"
#include "platform/file_io.h"
#include "platform/process_paths.h"
#include "server/records/wall_clock.h"

namespace quillvarden {
namespace {

// A folder holding this many namesakes is not going to free a name.
constexpr int kMaxCollisionNumber = 100000;

}  // namespace

std::string quarantineDirectory() {
    const std::string directory = platform::executableDirectory();
    if (directory.empty()) return "quarantine";
    return directory + platform::kPathSeparator + "quarantine";
}

bool quarantineFile(const std::string& path) {
    return quarantineFileInto(path, quarantineDirectory());
}

bool quarantineFileInto(const std::string& path, const std::string& quarantineDir) {
    platform::createDirectory(quarantineDir);  // an existing folder is fine
    const platform::FileAttributes source = platform::fileAttributes(path);
    if (!source.exists || source.isDirectory) return false;  // files only, never a whole folder
    const std::string base = quarantineDir + platform::kPathSeparator + platform::fileNameOf(path);
    std::string candidate = base + ".quarantine";
    for (int n = 1; platform::fileAttributes(candidate).exists; ++n) {
        if (n > kMaxCollisionNumber) return false;
        candidate = base + "." + std::to_string(n) + ".quarantine";
    }
    // The record of where it came from goes first: a crash between the two leaves an
    // orphaned record (ignored), never a quarantined file nobody can restore.
    const std::string recordPath = quarantineRecordPath(quarantineDir, platform::fileNameOf(candidate));
    const bool recorded = writeQuarantineRecord(recordPath, {path, nowMs(), platform::permissionBits(path)});
    if (!recorded) platform::writeErrLine("[羽岚 Quillvarden] 无法写入隔离记录，该文件日后将无法自动恢复：" + path);
    if (!platform::moveFileNoReplace(path, candidate)) {
        if (recorded) platform::removeFile(recordPath);
        return false;
    }
    platform::writeOutLine("[羽岚 Quillvarden] 已隔离文件：" + path + " -> " + candidate);
    return true;
}

bool deleteFile(const std::string& path) {
    if (!platform::removeFile(path)) return false;
    platform::writeOutLine("[羽岚 Quillvarden] 已删除文件：" + path);
    return true;
}

}  // namespace quillvarden
