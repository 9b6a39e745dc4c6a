// The one detection object: rules, digest tables, the trust list and the scan state.
// Every scan runs against it. The tables and rules are filled at start-up and only
// read afterwards, so scans read them without a lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/code_signing.h"
#include "ruleengine/detection_rule.h"
#include "server/records/scan_progress.h"
#include "server/records/threat_info.h"

namespace quillvarden {

class INarrator;
class CompiledRuleSet;

// One trusted directory: as the user entered it, and its comparison key.
struct TrustEntry {
    std::string path;
    std::string key;  // normalizeTrustPath(path); never empty
};

// Identifies one directory scan, so that a scan that was stopped cannot be revived
// or end another scan that started after it.
using ScanTicket = std::uint64_t;

class DetectionEngine {
public:
    using HashTable = std::unordered_map<std::string, std::string>;
    using ThreatCallback = std::function<void(const ThreatInfo&)>;
    using ProgressCallback = std::function<void(const ScanProgress&)>;

    DetectionEngine();
    DetectionEngine(const DetectionEngine&) = delete;
    DetectionEngine& operator=(const DetectionEngine&) = delete;

    // Empties the rules and the SHA-256 table (MD5 and SHA-1 stay), then seeds the
    // built-in digests and rules. Must not run while a scan is in progress.
    void loadBuiltins();

    // Rule files: rules appended from one file's text, from one file, from every
    // .yar or .yara file below a directory tree.
    std::size_t parseRules(const std::string& text);
    std::size_t loadRuleFile(const std::string& path);
    long long loadRuleDirectory(const std::string& path);

    // One record per rule that matches the file's name and content, in rule order.
    std::vector<ThreatInfo> matchRules(const std::string& path, const std::vector<std::uint8_t>& content) const;
    // Call after changing `rules` directly; loading and seeding do it themselves.
    void rulesChanged();
    // Prepares the rules for matching now rather than on the first scan.
    void prepareRules() const { compiledRules(); }

    // PE heuristics on the first bytes of a file: zero records or one.
    std::vector<ThreatInfo> analyzePe(const std::string& path, const std::vector<std::uint8_t>& content) const;

    // Signature files: lines accepted into a table; files below a directory tree.
    std::size_t loadSignatureFile(const std::string& path);
    long long loadSignatureDirectory(const std::string& path);

    // The scan pipeline: the detections of one file, in detector order.
    std::vector<ThreatInfo> scanFile(const std::string& path);
    // The same, but a failure inside one file's scan yields no records.
    std::vector<ThreatInfo> scanFileGuarded(const std::string& path);

    // Every file below root, depth first in file-system order; quarantine folders
    // and trusted directories are not entered.
    void collectFiles(const std::string& root, std::vector<std::string>& out);

    // Walks root and scans every file; blocks until done or stopped. Either callback
    // may be empty.
    void scanDirectory(const std::string& root, const ThreatCallback& onThreat,
                       const ProgressCallback& onProgress);

    // Directory-scan ownership. tryBeginDirectoryScan claims the engine for a scan
    // (0 when one runs already); runDirectoryScan then performs it.
    ScanTicket tryBeginDirectoryScan();
    void runDirectoryScan(ScanTicket ticket, const std::string& root, const ThreatCallback& onThreat,
                          const ProgressCallback& onProgress);
    // Stops the running directory scan before its next file.
    void stopDirectoryScan();

    // The trust list, kept in trustListFile.
    void loadTrustList();
    void saveTrustList();
    int addTrustedDir(const std::string& path);
    bool removeTrustedDir(const std::string& path);
    std::vector<std::string> listTrustedDirs();
    bool isTrusted(const std::string& path);

    std::vector<DetectionRule> rules;
    HashTable sha256Table;
    HashTable md5Table;
    HashTable sha1Table;
    INarrator* narrator = nullptr;  // borrowed; may be null
    std::atomic<bool> scanning{false};
    std::mutex trustLock;
    std::vector<TrustEntry> trustEntries;
    // Counts changes of the trust list, so that verdicts kept elsewhere know when a
    // folder was trusted or no longer is.
    std::atomic<std::uint64_t> trustGeneration{0};
    std::string trustListFile;  // trustListPath() unless a caller points it elsewhere
    // How a file's signature is judged: the system's trust provider unless a caller
    // (a test) supplies another.
    std::function<SigningVerdict(const std::string&)> signingCheck = systemSigningVerdict;
    // The operating system's own folders (folded prefixes): spared content analysis.
    std::vector<std::string> systemFolders;

private:
    SigningVerdict determineSigning(const std::string& path) const;
    std::vector<ThreatInfo> analyzeContent(const std::string& path, const std::vector<std::uint8_t>& content,
                                           const SigningVerdict& signing) const;
    void stampSigning(std::vector<ThreatInfo>& records, const SigningVerdict& signing) const;
    void narrateRecords(std::vector<ThreatInfo>& records) const;

    ScanTicket claimDirectoryScan(bool onlyIfIdle);
    bool scanStillWanted(ScanTicket ticket) const;
    void endDirectoryScan(ScanTicket ticket);

    // The rules prepared for matching, built on first use after a change.
    std::shared_ptr<const CompiledRuleSet> compiledRules() const;
    mutable std::mutex compiledRulesMutex_;
    mutable std::shared_ptr<const CompiledRuleSet> compiledRules_;

    std::mutex scanStateMutex_;  // orders begin, stop and end of directory scans
    std::atomic<ScanTicket> scanEpoch_{0};
    std::mutex trustSaveMutex_;  // one save at a time, newest list written last
};

}  // namespace quillvarden
