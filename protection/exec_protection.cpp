#include "protection/exec_protection.h"

#include "engine/detection_engine.h"
#include "platform/ascii_text.h"
#include "protection/host_hooks.h"
#include "protection/process_termination.h"
#include "protection/protection_switches.h"
#include "server/records/json_text.h"
#include "server/records/threat_list.h"
#include "server/records/wall_clock.h"

namespace quillvarden {

std::size_t ImageVerdictCache::KeyHash::operator()(const Key& key) const {
    std::size_t hash = std::hash<std::uint64_t>()(key.identity.volume);
    for (const std::uint64_t part : {key.identity.index, key.identity.size,
                                     static_cast<std::uint64_t>(key.identity.modifiedNs), key.trustGeneration}) {
        hash = hash * 1099511628211ull ^ std::hash<std::uint64_t>()(part);
    }
    return hash;
}

std::optional<ImageVerdictCache::Verdict> ImageVerdictCache::find(const platform::FileIdentity& identity,
                                                                  std::uint64_t trustGeneration) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = entries_.find({identity, trustGeneration});
    if (found == entries_.end()) return std::nullopt;
    return found->second;
}

void ImageVerdictCache::store(const platform::FileIdentity& identity, std::uint64_t trustGeneration,
                              Verdict verdict) {
    std::lock_guard<std::mutex> lock(mutex_);
    // A bound, not a policy: a machine that runs this many distinct programs simply
    // starts over.
    if (entries_.size() >= kMaxEntries) entries_.clear();
    entries_[{identity, trustGeneration}] = std::move(verdict);
}

std::size_t ImageVerdictCache::size() {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
}

std::string execBlockedBalloonText(const ProcessEvent& event, const ThreatInfo& first, bool terminated) {
    return "检测到可疑程序正在运行，已实时拦截：\n" + event.path + "\n\n" + "检出威胁：" + first.ruleName + "\n" +
           first.description + "\n\n" + "处置结果：" + (terminated ? "已终结该进程" : "终结未成功（可能需要管理员权限）");
}

ExecProtectionHandler::ExecProtectionHandler(DetectionEngine& engine, EventSink sink, std::string ownExecutable,
                                             platform::ProcessId ownPid)
    : engine_(engine), sink_(std::move(sink)), ownExecutableLower_(toLowerAscii(ownExecutable)), ownPid_(ownPid) {}

std::vector<ThreatInfo> ExecProtectionHandler::judge(const std::string& path) {
    const auto identity = platform::fileIdentity(path);
    const std::uint64_t generation = engine_.trustGeneration.load();
    if (identity) {
        if (auto cached = cache_.find(*identity, generation)) return std::move(cached->threats);
    }
    ImageVerdictCache::Verdict verdict;
    // Validly signed programs are never scanned here.
    if (engine_.signingCheck(path).status != SignatureStatus::Trusted) {
        verdict.threats = engine_.scanFileGuarded(path);
    }
    if (identity) cache_.store(*identity, generation, verdict);
    return verdict.threats;
}

void ExecProtectionHandler::operator()(const ProcessEvent& event) {
    if (!execProtectionEnabled.load() || event.path.empty()) return;
    if (!ownExecutableLower_.empty() && toLowerAscii(event.path) == ownExecutableLower_) return;
    // Never this program, its own helpers, or what the system cannot do without.
    if (isUntouchableProcess({event.pid, event.parentPid, event.fileName}, ownPid_)) return;

    std::vector<ThreatInfo> threats = judge(event.path);
    if (threats.empty()) return;

    bool terminated = false;
    if (event.hold) {
        terminated = event.hold->terminate();
    } else {
        platform::ProcessHold hold(event.pid);
        terminated = hold.terminate();
    }
    const std::int64_t now = nowMs();
    for (ThreatInfo& threat : threats) {
        threat.detectedAtMs = now;  // a verdict from the cache is about this start
        addThreat(threat);
        if (sink_) sink_("threat", dumpCompact(threat.toJson()));
    }
    const ThreatInfo& first = threats.front();
    if (sink_) {
        sink_("exec_blocked", dumpCompact({{"pid", event.pid},
                                           {"path", event.path},
                                           {"fileName", event.fileName},
                                           {"ruleName", first.ruleName},
                                           {"description", first.description},
                                           {"terminated", terminated},
                                           {"timestampMs", event.timestampMs}}));
    }
    showBalloon(kExecBlockedBalloonTitle, execBlockedBalloonText(event, first, terminated));
}

}  // namespace quillvarden
