#include "chain/tactic_rules.h"

#include <array>
#include <unordered_map>

#include "platform/ascii_text.h"

namespace quillvarden {
namespace {

constexpr std::array<std::string_view, 12> kTactics = {"初始访问", "执行",     "持久化", "提权",
                                                       "防御规避", "凭证访问", "发现",   "横向移动",
                                                       "收集",     "命令与控制", "数据渗出", "影响"};

constexpr std::array<std::string_view, 7> kOfficeProcesses = {"winword.exe", "excel.exe", "powerpnt.exe",
                                                              "outlook.exe", "msaccess.exe", "mspub.exe",
                                                              "visio.exe"};
constexpr std::array<std::string_view, 8> kScriptHosts = {"powershell.exe", "pwsh.exe",   "cmd.exe",
                                                          "wscript.exe",    "cscript.exe", "mshta.exe",
                                                          "rundll32.exe",   "regsvr32.exe"};
constexpr std::array<std::string_view, 10> kSystemProcesses = {"svchost.exe",  "lsass.exe",   "services.exe",
                                                               "csrss.exe",    "smss.exe",    "winlogon.exe",
                                                               "explorer.exe", "spoolsv.exe", "taskhostw.exe",
                                                               "dllhost.exe"};
constexpr std::array<std::string_view, 2> kSystemDirs = {"\\windows\\system32\\", "\\windows\\syswow64\\"};
constexpr std::array<std::string_view, 6> kSuspiciousDirs = {"\\temp\\",          "\\tmp\\",
                                                             "\\appdata\\local\\temp\\", "\\users\\public\\",
                                                             "\\downloads\\",     "%temp%"};
// The Run keys, and the XDG autostart folders that play their part on Linux.
constexpr std::array<std::string_view, 3> kRunKeys = {"\\currentversion\\run", "\\currentversion\\runonce",
                                                      "/autostart/"};
constexpr std::array<std::string_view, 4> kEncryptedPorts = {"443", "8443", "993", "465"};
constexpr std::array<std::string_view, 4> kMasqueradeFragments = {"svchost", "svc_host", "lsass", "scvhost"};

template <std::size_t N>
bool equalsOneOf(std::string_view name, const std::array<std::string_view, N>& list) {
    const std::string lower = toLowerAscii(name);
    for (const std::string_view entry : list) {
        if (lower == entry) return true;
    }
    return false;
}

template <std::size_t N>
bool containsOneOf(std::string_view text, const std::array<std::string_view, N>& list) {
    for (const std::string_view entry : list) {
        if (containsNoCase(text, entry)) return true;
    }
    return false;
}

// Reads a decimal number at text[i]; false when there is no digit there.
bool readNumber(std::string_view text, std::size_t& i, long long& value) {
    const std::size_t start = i;
    value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (value < 1'000'000'000) value = value * 10 + (text[i] - '0');
        ++i;
    }
    return i > start;
}

void hit(std::vector<TacticHit>& hits, std::uint32_t score, const char* tactic, std::string reason) {
    hits.push_back({score, std::move(reason), tactic});
}

void processRules(const SecurityEvent& e, std::vector<TacticHit>& hits) {
    if (isOfficeProcess(e.parentName) && isScriptHost(e.processName)) {
        hit(hits, 35, "执行",
            "Office 进程(" + e.parentName + ") 派生脚本解释器(" + e.processName + ")，疑似恶意宏执行载荷");
        hit(hits, 10, "初始访问", "疑似钓鱼文档触发的初始访问");
    }
    if (isSuspiciousDir(e.processPath)) hit(hits, 20, "执行", "进程自可疑目录启动：" + e.processPath);
    const bool systemName = isSystemProcessName(e.processName);
    const bool inSystemDir = isInSystemDir(e.processPath);
    if (systemName && !e.processPath.empty() && !inSystemDir) {
        hit(hits, 25, "防御规避", "伪装系统进程名 " + e.processName + "，却运行于非系统目录：" + e.processPath);
    }
    if (!systemName && !inSystemDir && containsOneOf(e.processName, kMasqueradeFragments)) {
        hit(hits, 20, "防御规避", "进程名伪装为系统服务(" + e.processName + ")以混淆视听");
    }
}

void fileRules(const SecurityEvent& e, std::vector<TacticHit>& hits) {
    const bool executable =
        containsNoCase(e.target, ".exe") || containsNoCase(e.target, ".dll") || containsNoCase(e.target, ".scr");
    if (!executable || !isSuspiciousDir(e.target)) return;
    const bool byScript = isScriptHost(e.processName);
    hit(hits, byScript ? 25 : 18, "执行",
        "向可疑目录落地可执行文件：" + e.target + (byScript ? "（由脚本解释器写入）" : ""));
}

void networkRules(const SecurityEvent& e, std::vector<TacticHit>& hits) {
    if (isPublicIPv4(e.target)) {
        if (isEncryptedPort(e.target)) {
            hit(hits, 30, "命令与控制", "向境外公网 IP 加密外联(" + e.target + ")，疑似 C2 通信");
        } else {
            hit(hits, 20, "命令与控制", "向境外公网 IP 外联：" + e.target);
        }
    }
    if (containsNoCase(e.detail, "c2")) hit(hits, 15, "命令与控制", "外联目标命中已知 C2 情报");
}

void driverRules(const SecurityEvent& e, std::vector<TacticHit>& hits) {
    if (isSuspiciousDir(e.processPath) || !isInSystemDir(e.processPath)) {
        hit(hits, 28, "防御规避", "从非常规目录加载驱动，疑似 Rootkit：" + e.processPath);
    }
    if (containsNoCase(e.detail, "unsigned") || containsNoCase(e.detail, "rootkit")) {
        hit(hits, 12, "防御规避", "驱动无有效签名或命中 Rootkit 特征");
    }
}

}  // namespace

int tacticOrder(std::string_view tactic) {
    static const std::unordered_map<std::string_view, int> order = [] {
        std::unordered_map<std::string_view, int> map;
        for (std::size_t i = 0; i < kTactics.size(); ++i) map.emplace(kTactics[i], static_cast<int>(i));
        return map;
    }();
    const auto found = order.find(tactic);
    return found == order.end() ? 999 : found->second;
}

bool containsNoCase(std::string_view text, std::string_view fragment) {
    if (fragment.size() > text.size()) return false;
    return toLowerAscii(text).find(toLowerAscii(fragment)) != std::string::npos;
}

bool isOfficeProcess(std::string_view name) { return equalsOneOf(name, kOfficeProcesses); }
bool isScriptHost(std::string_view name) { return equalsOneOf(name, kScriptHosts); }
bool isSystemProcessName(std::string_view name) { return equalsOneOf(name, kSystemProcesses); }
bool isInSystemDir(std::string_view path) { return containsOneOf(path, kSystemDirs); }
bool isSuspiciousDir(std::string_view path) { return containsOneOf(path, kSuspiciousDirs); }
bool isRunKey(std::string_view path) { return containsOneOf(path, kRunKeys); }

bool isEncryptedPort(std::string_view target) {
    const std::size_t colon = target.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string_view port = target.substr(colon + 1);
    for (const std::string_view known : kEncryptedPorts) {
        if (port == known) return true;
    }
    return false;
}

bool isPublicIPv4(std::string_view target) {
    const std::string_view host = target.substr(0, target.find(':'));
    long long part[4] = {};
    std::size_t i = 0;
    for (int n = 0; n < 4; ++n) {
        if (n > 0) {
            if (i >= host.size()) return false;
            ++i;  // one separator of any kind
        }
        if (!readNumber(host, i, part[n])) return false;
    }
    if (part[0] == 0 || part[0] == 10 || part[0] == 127) return false;
    if (part[0] == 169 && part[1] == 254) return false;
    if (part[0] == 172 && part[1] >= 16 && part[1] <= 31) return false;
    if (part[0] == 192 && part[1] == 168) return false;
    return true;
}

std::vector<TacticHit> evaluateEvent(const SecurityEvent& event) {
    std::vector<TacticHit> hits;
    switch (event.kind) {
        case EventKind::ProcessCreate: processRules(event, hits); break;
        case EventKind::FileWrite: fileRules(event, hits); break;
        case EventKind::RegistryWrite:
            if (isRunKey(event.target)) hit(hits, 30, "持久化", "写注册表自启动项实现持久化：" + event.target);
            break;
        case EventKind::NetworkConnect: networkRules(event, hits); break;
        case EventKind::DriverLoad: driverRules(event, hits); break;
        default: break;
    }
    return hits;
}

}  // namespace quillvarden
