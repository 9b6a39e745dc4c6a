#include "protection/autostart_alert.h"

#include "chain/chain_engine.h"
#include "platform/ascii_text.h"
#include "platform/process_paths.h"
#include "protection/host_hooks.h"
#include "protection/process_termination.h"
#include "protection/protection_switches.h"
#include "protection/reblock_guards.h"
#include "server/records/json_text.h"

namespace quillvarden {
namespace {

constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";
constexpr const char* kProgramSuffixes[] = {".exe", ".com", ".scr", ".bat", ".cmd", ".pif"};

}  // namespace

std::string extractProgramPath(std::string_view command) {
    const auto start = command.find_first_not_of(kWhiteSpace);
    if (start == std::string_view::npos) return {};
    const std::string_view rest = command.substr(start);
    if (rest.front() == '"') {
        const auto close = rest.find('"', 1);
        return std::string(close == std::string_view::npos ? rest.substr(1) : rest.substr(1, close - 1));
    }
    const std::string lower = toLowerAscii(rest);
    for (const char* suffix : kProgramSuffixes) {
        const auto at = lower.find(suffix);
        if (at != std::string::npos) return std::string(rest.substr(0, at + std::string_view(suffix).size()));
    }
    return std::string(rest.substr(0, rest.find(' ')));
}

std::string autostartTarget(const RegistryEvent& event) {
    if (platform::kPathSeparator == '\\') return event.hive + "\\" + event.keyPath + "\\" + event.valueName;
    return event.hive + ":" + event.keyPath + "/" + event.valueName;
}

SecurityEvent securityEventFor(const RegistryEvent& event) {
    SecurityEvent security;
    security.timestampMs = event.timestampMs;
    security.kind = EventKind::RegistryWrite;
    security.processName = event.command;
    security.processPath = event.command;
    security.target = autostartTarget(event);
    security.detail = "检测到写入注册表自启动项：" + event.valueName + " = " + event.command;
    return security;
}

std::string autostartAlertTitle(bool autoBlock, const BlockOutcome& outcome) {
    return autoBlock && outcome.attempted ? "羽岚 Quillvarden · 已自动拦截" : "羽岚 Quillvarden · 实时防护告警";
}

std::string autostartAlertText(const RegistryEvent& event, const AttackChain& chain, bool autoBlock,
                               const BlockOutcome& outcome) {
    std::string text = "检测到程序正在添加开机自启动项（持久化行为）\n\n自启动位置：" + autostartTarget(event);
    text += "\n启动命令：" + event.command;
    text += std::string("\n\n风险等级：") + chainLevelLabelCn(chain.level) + "（风险分 " + std::to_string(chain.score) +
            "）\n";
    if (!chain.summary.empty()) text += "\nAI 研判：" + chain.summary;
    if (outcome.attempted) {
        text += "\n\n【已执行自动拦截】";
        text += std::string("\n· 撤销自启动项：") + (outcome.autostartRevoked ? "成功" : "未成功");
        text += "\n· 结束运行进程：" + std::to_string(outcome.procKilled) + " 个";
        text += "\n· 阻止再次运行：未设置(可能需管理员权限)";
        if (!outcome.blocked()) text += "\n\n注意：自动拦截未能生效，建议以管理员身份运行本程序后重试。";
    } else if (autoBlock) {
        // Auto-block is on but the chain is not high-risk yet: nothing was attempted.
        text += "\n\n自动拦截已开启：当前风险未达到高危，暂未拦截。若非本人主动安装软件所为，建议立即清除该自启动项。";
    } else {
        text += "\n\n若非本人主动安装软件所为，建议立即清除该自启动项。";
    }
    return text;
}

nlohmann::json protectionAlertJson(const RegistryEvent& event, const AttackChain& chain, bool autoBlock,
                                   const BlockOutcome& outcome, const std::string& exePath) {
    return {{"category", "registry_autostart"},
            {"hive", event.hive},
            {"keyPath", event.keyPath},
            {"valueName", event.valueName},
            {"command", event.command},
            {"target", autostartTarget(event)},
            {"timestampMs", event.timestampMs},
            {"riskScore", chain.score},
            {"level", chainLevelLabel(chain.level)},
            {"levelCn", chainLevelLabelCn(chain.level)},
            {"aiSummary", chain.summary},
            {"aiStory", chain.story},
            {"aiSuggestions", chain.suggestions},
            {"reasons", chain.reasons},
            {"autoBlock", autoBlock},
            {"blocked", outcome.blocked()},
            {"autostartRevoked", outcome.autostartRevoked},
            {"procKilled", outcome.procKilled},
            {"ifeoBlocked", false},
            {"exePath", exePath}};
}

AutostartAlertHandler::AutostartAlertHandler(ChainEngine& chains, EventSink sink, ReblockGuards& guards,
                                             platform::SetAside setAside)
    : chains_(chains), sink_(std::move(sink)), guards_(guards), setAside_(std::move(setAside)) {}

void AutostartAlertHandler::operator()(const RegistryEvent& event) {
    if (!protectionEnabled.load()) return;
    const AttackChain chain = chains_.ingestEvent(securityEventFor(event));
    const std::string exePath = extractProgramPath(event.command);
    const std::string exeName = toLowerAscii(platform::fileNameOf(exePath));

    BlockOutcome outcome;
    const bool autoBlock = autoBlockEnabled.load();
    if (autoBlock && chain.level >= 2) {
        outcome.attempted = true;
        const platform::AutostartLocation location{event.hive, event.keyPath};
        const std::string exePathLower = toLowerAscii(exePath);
        outcome.autostartRevoked = platform::revokeAutostartValue(location, event.valueName, setAside_);
        outcome.procKilled = terminateMatchingProcesses(exePathLower, exeName);
        guards_.launch({location, event.valueName, exePathLower, exeName}, setAside_);
    }

    showBalloon(autostartAlertTitle(autoBlock, outcome), autostartAlertText(event, chain, autoBlock, outcome));
    if (sink_) sink_("protection_alert", dumpCompact(protectionAlertJson(event, chain, autoBlock, outcome, exePath)));
}

}  // namespace quillvarden
