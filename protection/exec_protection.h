// The handler of the process monitor: scans the image of every new program that is
// not validly signed and ends the process when the scan finds a threat.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/file_attributes.h"
#include "platform/processes.h"
#include "protection/event_sink.h"
#include "protection/monitor_events.h"
#include "server/records/threat_info.h"

namespace quillvarden {

class DetectionEngine;

// What was decided about one program image, kept while the file stays the same (its
// identity, size and modification time) and the trust list does not change, so that
// a program started a thousand times is read once.
class ImageVerdictCache {
public:
    static constexpr std::size_t kMaxEntries = 4096;

    struct Verdict {
        std::vector<ThreatInfo> threats;  // empty: clean, trusted or not scannable
    };

    std::optional<Verdict> find(const platform::FileIdentity& identity, std::uint64_t trustGeneration);
    void store(const platform::FileIdentity& identity, std::uint64_t trustGeneration, Verdict verdict);
    std::size_t size();

private:
    struct Key {
        platform::FileIdentity identity;
        std::uint64_t trustGeneration = 0;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const;
    };
    std::mutex mutex_;
    std::unordered_map<Key, Verdict, KeyHash> entries_;
};

std::string execBlockedBalloonText(const ProcessEvent& event, const ThreatInfo& first, bool terminated);
constexpr const char* kExecBlockedBalloonTitle = "羽岚 Quillvarden · 已拦截可疑程序";

class ExecProtectionHandler {
public:
    // ownExecutable and ownPid: this program, which is never scanned or ended here,
    // nor are the processes it started.
    ExecProtectionHandler(DetectionEngine& engine, EventSink sink, std::string ownExecutable,
                          platform::ProcessId ownPid = platform::currentProcessId());

    void operator()(const ProcessEvent& event);
    ImageVerdictCache& cache() { return cache_; }

private:
    std::vector<ThreatInfo> judge(const std::string& path);

    DetectionEngine& engine_;
    EventSink sink_;
    std::string ownExecutableLower_;
    platform::ProcessId ownPid_;
    ImageVerdictCache cache_;
};

}  // namespace quillvarden
