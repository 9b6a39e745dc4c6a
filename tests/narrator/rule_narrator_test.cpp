#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "narrator/rule_narrator.h"

namespace quillvarden {
namespace {

SecurityEvent step(EventKind kind, std::string process, std::string parent, std::string path, std::string target) {
    SecurityEvent e;
    e.kind = kind;
    e.processName = std::move(process);
    e.parentName = std::move(parent);
    e.processPath = std::move(path);
    e.target = std::move(target);
    return e;
}

TEST(RuleNarrator, AutostartChain) {
    AttackChain chain;
    chain.score = 30;
    chain.level = 0;
    chain.tactics = {"持久化"};
    chain.processes = {"P"};
    chain.events = {step(EventKind::RegistryWrite, "P", "", "", "T")};
    RuleNarrator narrator;
    narrator.narrate(chain);
    EXPECT_EQ(chain.summary, "检测到低危攻击链（风险分 30），涉及 1 个进程、1 个关联事件，横跨 持久化 战术阶段。");
    EXPECT_EQ(chain.story,
              "本次低危事件呈现出清晰的攻击链条：第 1 步，P 写入注册表项 T；攻击者已尝试通过自启动项在主机上驻留；建议立即隔离处置。");
    EXPECT_EQ(chain.suggestions, (std::vector<std::string>{"立即将受影响主机从网络中隔离，阻断可能的 C2 通信",
                                                           "清除自启动项 T 并核查其他持久化位置",
                                                           "复盘钓鱼邮件来源，对相关员工做安全意识提醒"}));

    // Narrating again gives the same texts, not longer ones.
    const AttackChain once = chain;
    narrator.narrate(chain);
    EXPECT_EQ(chain.summary, once.summary);
    EXPECT_EQ(chain.story, once.story);
    EXPECT_EQ(chain.suggestions, once.suggestions);
}

TEST(RuleNarrator, EveryStepAndSentence) {
    AttackChain chain;
    chain.score = 100;
    chain.level = 2;
    chain.tactics = {"初始访问", "执行", "持久化", "防御规避", "命令与控制"};
    chain.processes = {"WINWORD.EXE", "powershell.exe"};
    chain.events = {
        step(EventKind::ProcessCreate, "powershell.exe", "WINWORD.EXE", "", ""),
        step(EventKind::ProcessCreate, "a.exe", "powershell.exe", "", "-nop"),
        step(EventKind::FileWrite, "powershell.exe", "", "", ""),
        step(EventKind::FileWrite, "powershell.exe", "", "", "C:\\Temp\\a.exe"),
        step(EventKind::RegistryWrite, "a.exe", "", "", "HKCU\\Run\\a"),
        step(EventKind::NetworkConnect, "a.exe", "", "", ""),
        step(EventKind::NetworkConnect, "a.exe", "", "", "203.0.113.9:443"),
        step(EventKind::DriverLoad, "a.exe", "", "D:\\r.sys", "ignored"),
        step(static_cast<EventKind>(42), "", "", "", ""),
    };
    RuleNarrator narrator;
    narrator.narrate(chain);
    EXPECT_EQ(chain.summary,
              "检测到高危攻击链（风险分 100），涉及 2 个进程、9 个关联事件，横跨 初始访问 → 执行 → 持久化 → 防御规避 → 命令与控制 战术阶段。");
    EXPECT_EQ(chain.story,
              "本次高危事件呈现出清晰的攻击链条："
              "第 1 步，WINWORD.EXE 派生了进程 powershell.exe；"
              "第 2 步，powershell.exe 派生了进程 a.exe（-nop）；"
              "第 3 步，powershell.exe 向磁盘落地文件 ；"
              "第 4 步，powershell.exe 向磁盘落地文件 C:\\Temp\\a.exe；"
              "第 5 步，a.exe 写入注册表项 HKCU\\Run\\a；"
              "第 6 步，a.exe 向  发起外联；"
              "第 7 步，a.exe 向 203.0.113.9:443 发起外联；"
              "第 8 步，a.exe 加载驱动 D:\\r.sys；"
              "第 9 步， 触发了一次可疑行为；"
              "整体来看，攻击极可能始于一封携带恶意宏的钓鱼文档；攻击者已尝试通过自启动项在主机上驻留；"
              "随后与外部服务器建立加密回连，疑似受控于远程 C2；并使用伪装命名或可疑驱动手段规避检测；建议立即隔离处置。");
    EXPECT_EQ(chain.suggestions, (std::vector<std::string>{
                                     "立即将受影响主机从网络中隔离，阻断可能的 C2 通信",
                                     "在边界防火墙封禁外联目标 203.0.113.9:443，并检索全网同类连接",
                                     "清除自启动项 HKCU\\Run\\a 并核查其他持久化位置",
                                     "删除并送检落地样本 C:\\Temp\\a.exe",
                                     "排查可疑驱动与伪装进程，必要时重装系统以确保根除",
                                     "复盘钓鱼邮件来源，对相关员工做安全意识提醒"}));
    EXPECT_EQ(narrator.name(), "rule-template");
}

TEST(RuleNarrator, NoTactics) {
    AttackChain chain;
    chain.score = 12;
    chain.level = 7;  // an unknown level reads as low
    chain.events = {step(EventKind::NetworkConnect, "x", "", "", "1.2.3.4:80")};
    chain.suggestions = {"old"};
    RuleNarrator().narrate(chain);
    EXPECT_EQ(chain.summary, "检测到低危攻击链（风险分 12），涉及 0 个进程、1 个关联事件。");
    EXPECT_EQ(chain.story, "本次低危事件呈现出清晰的攻击链条：第 1 步，x 向 1.2.3.4:80 发起外联；建议立即隔离处置。");
    EXPECT_EQ(chain.suggestions, (std::vector<std::string>{"立即将受影响主机从网络中隔离，阻断可能的 C2 通信",
                                                           "复盘钓鱼邮件来源，对相关员工做安全意识提醒"}));
}

}  // namespace
}  // namespace quillvarden
