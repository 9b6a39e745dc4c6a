#include "ruleengine/builtin_rules.h"

#include <string>

namespace quillvarden {
namespace {

std::string bytes(const char* data, std::size_t size) { return std::string(data, size); }

DetectionRule rule(const char* name, const char* description, std::int32_t severity,
                   std::vector<std::string> plainStrings) {
    DetectionRule r;
    r.name = name;
    r.description = description;
    r.severity = severity;
    r.plainStrings = std::move(plainStrings);
    return r;
}

// Executable and library names, checked on the whole file name, any letter case.
constexpr const char* kPeNames = R"(.*\.(exe|dll|scr|ocx|sys|drv)$)";
constexpr const char* kDotNetNames = R"(.*\.(exe|dll|scr)$)";

}  // namespace

std::vector<DetectionRule> builtinRules() {
    std::vector<DetectionRule> rules;

    rules.push_back(rule("Metasploit.Shellcode.x86", "检测到 Metasploit x86 Shellcode 特征", 3,
                         {bytes("\xFC\xE8\x82\x00\x00\x00", 6), bytes("\xFC\xE8\x89\x00\x00\x00", 6),
                          bytes("\xFC\x48\x83\xE4\xF0", 5)}));

    DetectionRule powershell = rule("Suspicious.PowerShell.EncodedCommand", "检测到 PowerShell 编码命令执行模式", 2,
                                    {"-EncodedCommand", "-enc ", "-e JAB", "powershell -nop -w hidden"});
    powershell.contentRegex = R"(powershell[\s\S]*?-[eE](?:nc|ncodedCommand)\s+[A-Za-z0-9+/=]{20,})";
    rules.push_back(std::move(powershell));

    DetectionRule batch = rule("Suspicious.BatchScript.Destructive", "检测到具有破坏性的批处理脚本命令", 2,
                               {"del /f /s /q", "format c:", "rd /s /q c:\\"});
    batch.fileNameRegex = R"(.*\.bat$)";
    rules.push_back(std::move(batch));

    DetectionRule ransom = rule("Ransom.FileExtension.Write", "检测到疑似勒索软件加密文件扩展名", 3,
                                {".locky", ".wcry", ".wncry", ".wncryt"});
    ransom.contentRegex = R"((\*|%s|%ws|%S)\.(encrypted|locked|crypto|crypt|locky|wcry))";
    rules.push_back(std::move(ransom));

    DetectionRule injection = rule("Suspicious.PE.ProcessInjection", "检测到进程注入 API 组合调用特征", 3,
                                   {"VirtualAllocEx", "WriteProcessMemory", "CreateRemoteThread"});
    injection.fileNameRegex = kPeNames;
    injection.requireAll = true;
    rules.push_back(std::move(injection));

    rules.push_back(rule("HackTool.Mimikatz", "检测到 Mimikatz 凭证窃取工具特征", 3,
                         {"sekurlsa::logonpasswords", "lsadump::sam", "kerberos::golden", "privilege::debug",
                          "token::elevate"}));

    DetectionRule reverseShell = rule("Suspicious.ReverseShell", "检测到反向 Shell 连接特征", 2,
                                      {"cmd.exe /c", "/bin/sh -i", "bash -i >& /dev/tcp/"});
    reverseShell.contentRegex = R"(WSASocket[\s\S]*?connect[\s\S]*?cmd\.exe)";
    rules.push_back(std::move(reverseShell));

    rules.push_back(rule("CoinMiner.Generic", "检测到加密货币挖矿程序特征", 2,
                         {"stratum+tcp://", "stratum+ssl://", "xmrig", "cryptonight", "monero",
                          "pool.supportxmr.com"}));

    rules.push_back(rule("CobaltStrike.Beacon", "检测到 Cobalt Strike Beacon 特征", 3,
                         {"%s.4444", "beacon.dll", "ReflectiveLoader", bytes("MZARUH\x89\xE5", 8)}));

    DetectionRule gh0st = rule("RAT.Gh0st.Generic", "检测到 Gh0st RAT 远程控制木马特征", 3,
                               {"Gh0st", "GH0ST", "Gh0st Update", "\\gh0st\\server", "cb1st", "LYRAT", "700cc",
                                "0Kftp"});
    gh0st.minMatches = 2;
    rules.push_back(std::move(gh0st));

    DetectionRule asyncRat = rule("RAT.AsyncRAT.NET", "检测到 AsyncRAT .NET 远程控制木马特征", 3,
                                  {"AsyncRAT", "AsyncClient", "AsyncMutex_6SI8OkPnk", "AsyncRAT Server", "Pastebin",
                                   "Server_Certificate", "aes_key", "Anti_Analysis"});
    asyncRat.fileNameRegex = kDotNetNames;
    asyncRat.minMatches = 2;
    rules.push_back(std::move(asyncRat));

    DetectionRule dcRat = rule("RAT.DcRAT.NET", "检测到 DcRAT .NET 远程控制木马特征", 3,
                               {"DcRAT", "dcrat", "DcRatMutex_plorvantix", "DcRatByplorvantix", "plorvantix",
                                "DcRat Server"});
    dcRat.fileNameRegex = kDotNetNames;
    rules.push_back(std::move(dcRat));

    DetectionRule pulsar = rule("RAT.Pulsar.NET", "检测到 Pulsar .NET 远程控制木马特征", 3,
                                {"Pulsar", "Pulsar.Client", "Pulsar.Common", "PulsarMutex", "Pulsar RAT",
                                 "PulsarServer"});
    pulsar.fileNameRegex = kDotNetNames;
    pulsar.minMatches = 2;
    rules.push_back(std::move(pulsar));

    return rules;
}

}  // namespace quillvarden
