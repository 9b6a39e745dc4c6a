#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chain/tactic_rules.h"

namespace quillvarden {
namespace {

SecurityEvent event(EventKind kind, std::string process, std::string parent, std::string path, std::string target,
                    std::string detail = "") {
    SecurityEvent e;
    e.timestampMs = 1;
    e.kind = kind;
    e.processName = std::move(process);
    e.parentName = std::move(parent);
    e.processPath = std::move(path);
    e.target = std::move(target);
    e.detail = std::move(detail);
    return e;
}

std::string hitsText(const std::vector<TacticHit>& hits) {
    std::string text;
    for (const auto& h : hits) text += std::to_string(h.score) + " " + h.tactic + " " + h.reason + "\n";
    return text;
}

TEST(TacticRules, EveryRuleAndItsBoundaries) {
    using K = EventKind;
    struct Case {
        const char* what;
        SecurityEvent event;
        std::string hits;
    };
    const std::vector<Case> cases = {
        {"office starts a script host", event(K::ProcessCreate, "PowerShell.exe", "WINWORD.EXE", "C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe", ""),
         "35 执行 Office 进程(WINWORD.EXE) 派生脚本解释器(PowerShell.exe)，疑似恶意宏执行载荷\n"
         "10 初始访问 疑似钓鱼文档触发的初始访问\n"},
        {"office starts a non-script", event(K::ProcessCreate, "notepad.exe", "excel.exe", "C:\\Windows\\System32\\notepad.exe", ""), ""},
        {"office parent, script child, temp folder", event(K::ProcessCreate, "cmd.exe", "outlook.exe", "C:\\Users\\a\\AppData\\Local\\Temp\\cmd.exe", ""),
         "35 执行 Office 进程(outlook.exe) 派生脚本解释器(cmd.exe)，疑似恶意宏执行载荷\n"
         "10 初始访问 疑似钓鱼文档触发的初始访问\n"
         "20 执行 进程自可疑目录启动：C:\\Users\\a\\AppData\\Local\\Temp\\cmd.exe\n"},
        {"svchost from temp", event(K::ProcessCreate, "svchost.exe", "", "C:\\Users\\a\\AppData\\Local\\Temp\\svchost.exe", ""),
         "20 执行 进程自可疑目录启动：C:\\Users\\a\\AppData\\Local\\Temp\\svchost.exe\n"
         "25 防御规避 伪装系统进程名 svchost.exe，却运行于非系统目录：C:\\Users\\a\\AppData\\Local\\Temp\\svchost.exe\n"},
        {"system name without a path", event(K::ProcessCreate, "lsass.exe", "", "", ""), ""},
        {"masquerade fragment", event(K::ProcessCreate, "svchost32.exe", "", "D:\\tools\\svchost32.exe", ""),
         "20 防御规避 进程名伪装为系统服务(svchost32.exe)以混淆视听\n"},
        {"fragment with an empty path", event(K::ProcessCreate, "SCVHOST.exe", "", "", ""),
         "20 防御规避 进程名伪装为系统服务(SCVHOST.exe)以混淆视听\n"},
        {"fragment in the system folder", event(K::ProcessCreate, "svchost32.exe", "", "C:\\Windows\\System32\\svchost32.exe", ""), ""},
        {"download folder", event(K::ProcessCreate, "a.exe", "", "C:\\Users\\a\\Downloads\\a.exe", ""),
         "20 执行 进程自可疑目录启动：C:\\Users\\a\\Downloads\\a.exe\n"},
        {"executable dropped by a script", event(K::FileWrite, "wscript.exe", "", "", "C:\\Users\\Public\\a.DLL.txt"),
         "25 执行 向可疑目录落地可执行文件：C:\\Users\\Public\\a.DLL.txt（由脚本解释器写入）\n"},
        {"executable dropped by a program", event(K::FileWrite, "x.exe", "", "", "%TEMP%\\b.scr"),
         "18 执行 向可疑目录落地可执行文件：%TEMP%\\b.scr\n"},
        {"document dropped", event(K::FileWrite, "x.exe", "", "", "C:\\Temp\\a.docx"), ""},
        {"executable outside suspicious folders", event(K::FileWrite, "x.exe", "", "", "D:\\apps\\a.exe"), ""},
        {"RunOnce key", event(K::RegistryWrite, "evil.exe", "", "", "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\x"),
         "30 持久化 写注册表自启动项实现持久化：HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\x\n"},
        {"policies key", event(K::RegistryWrite, "evil.exe", "", "", "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies"), ""},
        {"public, encrypted", event(K::NetworkConnect, "x.exe", "", "", "203.0.113.5:443"),
         "30 命令与控制 向境外公网 IP 加密外联(203.0.113.5:443)，疑似 C2 通信\n"},
        {"public, plain", event(K::NetworkConnect, "x.exe", "", "", "203.0.113.5:80"),
         "20 命令与控制 向境外公网 IP 外联：203.0.113.5:80\n"},
        {"private", event(K::NetworkConnect, "x.exe", "", "", "192.168.1.5:443"), ""},
        {"host name", event(K::NetworkConnect, "x.exe", "", "", "evil.example:443"), ""},
        {"172.32 is public", event(K::NetworkConnect, "x.exe", "", "", "172.32.0.1:8443"),
         "30 命令与控制 向境外公网 IP 加密外联(172.32.0.1:8443)，疑似 C2 通信\n"},
        {"172.31 is private", event(K::NetworkConnect, "x.exe", "", "", "172.31.0.1:8443"), ""},
        {"link-local", event(K::NetworkConnect, "x.exe", "", "", "169.254.1.1:443"), ""},
        {"port must match exactly", event(K::NetworkConnect, "x.exe", "", "", "203.0.113.5:4430"),
         "20 命令与控制 向境外公网 IP 外联：203.0.113.5:4430\n"},
        {"known C2 on a private address", event(K::NetworkConnect, "x.exe", "", "", "10.0.0.1:443", "Known C2 beacon"),
         "15 命令与控制 外联目标命中已知 C2 情报\n"},
        {"driver without a path", event(K::DriverLoad, "x.exe", "", "", "", "UNSIGNED driver"),
         "28 防御规避 从非常规目录加载驱动，疑似 Rootkit：\n12 防御规避 驱动无有效签名或命中 Rootkit 特征\n"},
        {"driver in the system folder", event(K::DriverLoad, "x.exe", "", "C:\\Windows\\System32\\drivers\\x.sys", ""), ""},
        {"unknown kind", event(static_cast<EventKind>(9), "x.exe", "winword.exe", "C:\\Temp\\x.exe", "1.2.3.4:443"), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(hitsText(evaluateEvent(c.event)), c.hits) << c.what;
}

TEST(TacticRules, Classifiers) {
    EXPECT_TRUE(isPublicIPv4("8.8.8.8"));
    EXPECT_FALSE(isPublicIPv4("127.0.0.1:80"));
    EXPECT_FALSE(isPublicIPv4("0.1.2.3"));
    EXPECT_FALSE(isPublicIPv4("1.2.3"));
    EXPECT_TRUE(isPublicIPv4("1-2-3-4xyz")) << "separators and trailing text are not checked";
    EXPECT_FALSE(isEncryptedPort("203.0.113.5"));
    EXPECT_TRUE(isRunKey("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices"));
    EXPECT_FALSE(containsNoCase("ab", "abc"));
    EXPECT_TRUE(containsNoCase("xKNOWN C2y", "c2"));
    EXPECT_TRUE(isOfficeProcess("VISIO.EXE"));
    EXPECT_FALSE(isScriptHost("powershell"));
}

TEST(TacticRules, TacticOrder) {
    EXPECT_EQ(tacticOrder("初始访问"), 0);
    EXPECT_EQ(tacticOrder("持久化"), 2);
    EXPECT_EQ(tacticOrder("命令与控制"), 9);
    EXPECT_EQ(tacticOrder("影响"), 11);
    EXPECT_EQ(tacticOrder(""), 999);
    EXPECT_EQ(tacticOrder("Persistence"), 999);
    EXPECT_EQ(std::string(eventKindLabel(EventKind::DriverLoad)), "驱动加载");
    EXPECT_EQ(std::string(eventKindLabel(static_cast<EventKind>(-1))), "未知事件");
}

}  // namespace
}  // namespace quillvarden
