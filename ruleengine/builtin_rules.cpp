#include "ruleengine/builtin_rules.h"

#include <string>

#include "ruleengine/hidden_text.h"

namespace quillvarden {
namespace {

// Names and descriptions are hidden as well: "RAT.DcRAT.NET" alone holds a pattern.
template <std::size_t N, std::size_t M>
DetectionRule rule(const HiddenText<N>& name, const HiddenText<M>& description, std::int32_t severity,
                   std::vector<std::string> plainStrings) {
    DetectionRule r;
    r.name = name.reveal();
    r.description = description.reveal();
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

    rules.push_back(rule(
        hide("Metasploit.Shellcode.x86"), hide("检测到 Metasploit x86 Shellcode 特征"), 3,
        revealed(hide("\xFC\xE8\x82\x00\x00\x00"), hide("\xFC\xE8\x89\x00\x00\x00"), hide("\xFC\x48\x83\xE4\xF0"))));

    DetectionRule powershell =
        rule(hide("Suspicious.PowerShell.EncodedCommand"), hide("检测到 PowerShell 编码命令执行模式"), 2,
             revealed(hide("-EncodedCommand"), hide("-enc "), hide("-e JAB"), hide("powershell -nop -w hidden")));
    powershell.contentRegex = hide(R"(powershell[\s\S]*?-[eE](?:nc|ncodedCommand)\s+[A-Za-z0-9+/=]{20,})").reveal();
    rules.push_back(std::move(powershell));

    DetectionRule batch = rule(hide("Suspicious.BatchScript.Destructive"), hide("检测到具有破坏性的批处理脚本命令"), 2,
                               revealed(hide("del /f /s /q"), hide("format c:"), hide("rd /s /q c:\\")));
    batch.fileNameRegex = R"(.*\.bat$)";
    rules.push_back(std::move(batch));

    DetectionRule ransom = rule(hide("Ransom.FileExtension.Write"), hide("检测到疑似勒索软件加密文件扩展名"), 3,
                                revealed(hide(".locky"), hide(".wcry"), hide(".wncry"), hide(".wncryt")));
    ransom.contentRegex = hide(R"((\*|%s|%ws|%S)\.(encrypted|locked|crypto|crypt|locky|wcry))").reveal();
    rules.push_back(std::move(ransom));

    DetectionRule injection =
        rule(hide("Suspicious.PE.ProcessInjection"), hide("检测到进程注入 API 组合调用特征"), 3,
             revealed(hide("VirtualAllocEx"), hide("WriteProcessMemory"), hide("CreateRemoteThread")));
    injection.fileNameRegex = kPeNames;
    injection.requireAll = true;
    rules.push_back(std::move(injection));

    rules.push_back(rule(hide("HackTool.Mimikatz"), hide("检测到 Mimikatz 凭证窃取工具特征"), 3,
                         revealed(hide("sekurlsa::logonpasswords"), hide("lsadump::sam"), hide("kerberos::golden"),
                                  hide("privilege::debug"), hide("token::elevate"))));

    DetectionRule reverseShell = rule(hide("Suspicious.ReverseShell"), hide("检测到反向 Shell 连接特征"), 2,
                                      revealed(hide("cmd.exe /c"), hide("/bin/sh -i"), hide("bash -i >& /dev/tcp/")));
    reverseShell.contentRegex = hide(R"(WSASocket[\s\S]*?connect[\s\S]*?cmd\.exe)").reveal();
    rules.push_back(std::move(reverseShell));

    rules.push_back(rule(hide("CoinMiner.Generic"), hide("检测到加密货币挖矿程序特征"), 2,
                         revealed(hide("stratum+tcp://"), hide("stratum+ssl://"), hide("xmrig"), hide("cryptonight"),
                                  hide("monero"), hide("pool.supportxmr.com"))));

    rules.push_back(
        rule(hide("CobaltStrike.Beacon"), hide("检测到 Cobalt Strike Beacon 特征"), 3,
             revealed(hide("%s.4444"), hide("beacon.dll"), hide("ReflectiveLoader"), hide("MZARUH\x89\xE5"))));

    DetectionRule gh0st = rule(hide("RAT.Gh0st.Generic"), hide("检测到 Gh0st RAT 远程控制木马特征"), 3,
                               revealed(hide("Gh0st"), hide("GH0ST"), hide("Gh0st Update"), hide("\\gh0st\\server"),
                                        hide("cb1st"), hide("LYRAT"), hide("700cc"), hide("0Kftp")));
    gh0st.minMatches = 2;
    rules.push_back(std::move(gh0st));

    DetectionRule asyncRat =
        rule(hide("RAT.AsyncRAT.NET"), hide("检测到 AsyncRAT .NET 远程控制木马特征"), 3,
             revealed(hide("AsyncRAT"), hide("AsyncClient"), hide("AsyncMutex_6SI8OkPnk"), hide("AsyncRAT Server"),
                      hide("Pastebin"), hide("Server_Certificate"), hide("aes_key"), hide("Anti_Analysis")));
    asyncRat.fileNameRegex = kDotNetNames;
    asyncRat.minMatches = 2;
    rules.push_back(std::move(asyncRat));

    DetectionRule dcRat = rule(hide("RAT.DcRAT.NET"), hide("检测到 DcRAT .NET 远程控制木马特征"), 3,
                               revealed(hide("DcRAT"), hide("dcrat"), hide("DcRatMutex_plorvantix"),
                                        hide("DcRatByplorvantix"), hide("plorvantix"), hide("DcRat Server")));
    dcRat.fileNameRegex = kDotNetNames;
    rules.push_back(std::move(dcRat));

    DetectionRule pulsar = rule(hide("RAT.Pulsar.NET"), hide("检测到 Pulsar .NET 远程控制木马特征"), 3,
                                revealed(hide("Pulsar"), hide("Pulsar.Client"), hide("Pulsar.Common"),
                                         hide("PulsarMutex"), hide("Pulsar RAT"), hide("PulsarServer")));
    pulsar.fileNameRegex = kDotNetNames;
    pulsar.minMatches = 2;
    rules.push_back(std::move(pulsar));

    return rules;
}

}  // namespace quillvarden
