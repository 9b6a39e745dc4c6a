#include "narrator/rule_narrator.h"

#include <algorithm>

namespace quillvarden {
namespace {

bool hasTactic(const AttackChain& chain, const char* tactic) {
    return std::find(chain.tactics.begin(), chain.tactics.end(), tactic) != chain.tactics.end();
}

// The target of the first event of this kind that has one.
const std::string* firstTarget(const AttackChain& chain, EventKind kind) {
    for (const SecurityEvent& event : chain.events) {
        if (event.kind == kind && !event.target.empty()) return &event.target;
    }
    return nullptr;
}

}  // namespace

std::string RuleNarrator::describeEvent(const SecurityEvent& e) const {
    switch (e.kind) {
        case EventKind::ProcessCreate:
            return e.parentName + " 派生了进程 " + e.processName + (e.target.empty() ? "" : "（" + e.target + "）");
        case EventKind::FileWrite: return e.processName + " 向磁盘落地文件 " + e.target;
        case EventKind::RegistryWrite: return e.processName + " 写入注册表项 " + e.target;
        case EventKind::NetworkConnect: return e.processName + " 向 " + e.target + " 发起外联";
        case EventKind::DriverLoad: return e.processName + " 加载驱动 " + e.processPath;
        default: return e.processName + " 触发了一次可疑行为";
    }
}

std::string RuleNarrator::summaryOf(const AttackChain& chain) const {
    std::string summary = std::string("检测到") + chainLevelLabelCn(chain.level) + "攻击链（风险分 " +
                          std::to_string(chain.score) + "），涉及 " + std::to_string(chain.processes.size()) +
                          " 个进程、" + std::to_string(chain.events.size()) + " 个关联事件";
    if (!chain.tactics.empty()) summary += "，横跨 " + joinTexts(chain.tactics, " → ") + " 战术阶段";
    return summary + "。";
}

std::string RuleNarrator::storyOf(const AttackChain& chain) const {
    std::string story = std::string("本次") + chainLevelLabelCn(chain.level) + "事件呈现出清晰的攻击链条：";
    for (std::size_t i = 0; i < chain.events.size(); ++i) {
        story += "第 " + std::to_string(i + 1) + " 步，" + describeEvent(chain.events[i]) + "；";
    }
    if (hasTactic(chain, "初始访问")) story += "整体来看，攻击极可能始于一封携带恶意宏的钓鱼文档；";
    if (hasTactic(chain, "持久化")) story += "攻击者已尝试通过自启动项在主机上驻留；";
    if (hasTactic(chain, "命令与控制")) story += "随后与外部服务器建立加密回连，疑似受控于远程 C2；";
    if (hasTactic(chain, "防御规避")) story += "并使用伪装命名或可疑驱动手段规避检测；";
    return story + "建议立即隔离处置。";
}

std::vector<std::string> RuleNarrator::suggestionsFor(const AttackChain& chain) const {
    std::vector<std::string> suggestions = {"立即将受影响主机从网络中隔离，阻断可能的 C2 通信"};
    if (hasTactic(chain, "命令与控制")) {
        if (const std::string* target = firstTarget(chain, EventKind::NetworkConnect)) {
            suggestions.push_back("在边界防火墙封禁外联目标 " + *target + "，并检索全网同类连接");
        }
    }
    if (hasTactic(chain, "持久化")) {
        if (const std::string* target = firstTarget(chain, EventKind::RegistryWrite)) {
            suggestions.push_back("清除自启动项 " + *target + " 并核查其他持久化位置");
        }
    }
    if (const std::string* target = firstTarget(chain, EventKind::FileWrite)) {
        suggestions.push_back("删除并送检落地样本 " + *target);
    }
    if (hasTactic(chain, "防御规避")) suggestions.push_back("排查可疑驱动与伪装进程，必要时重装系统以确保根除");
    suggestions.push_back("复盘钓鱼邮件来源，对相关员工做安全意识提醒");
    return suggestions;
}

void RuleNarrator::narrate(AttackChain& chain) {
    chain.summary = summaryOf(chain);
    chain.story = storyOf(chain);
    chain.suggestions = suggestionsFor(chain);
}

}  // namespace quillvarden
