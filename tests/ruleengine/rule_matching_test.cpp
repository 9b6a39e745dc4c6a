#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ruleengine/builtin_rules.h"
#include "ruleengine/compiled_rule_set.h"
#include "ruleengine/hidden_text.h"
#include "ruleengine/reference_matcher.h"
#include "ruleengine/regex_program.h"
#include "ruleengine/rule_parser.h"

namespace quillvarden {
namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<std::string> ruleNames(const std::vector<ThreatInfo>& records) {
    std::vector<std::string> names;
    for (const auto& r : records) names.push_back(r.ruleName);
    return names;
}

// The names of the matching rules; both matchers must agree.
std::vector<std::string> matchBoth(const std::vector<DetectionRule>& rules, const std::string& path,
                                   const std::string& content) {
    const auto fast = CompiledRuleSet(rules).match(path, bytesOf(content));
    const auto slow = matchRulesOneByOne(rules, path, bytesOf(content));
    EXPECT_EQ(ruleNames(fast), ruleNames(slow)) << path;
    return ruleNames(fast);
}

DetectionRule fromText(const std::string& text) {
    auto rules = parseRuleText(text);
    EXPECT_EQ(rules.size(), 1u) << text;
    return rules.empty() ? DetectionRule{} : rules[0];
}

TEST(RuleMatching, CountsAndModifiers) {
    const std::vector<DetectionRule> rules = {
        fromText(R"(rule two { strings: $a = "alpha" $b = "beta" 
 $b = "beta"
 $c = "gamma"
 condition: 2 of them })"),
        fromText("rule all { strings:\n $a = \"alpha\"\n $b = \"beta\"\n $c = \"gamma\"\n condition: all of them }"),
        fromText("rule wide { strings:\n $a = \"abc\" wide }"),
        fromText("rule widenocase { strings:\n $a = \"abc\" wide nocase }"),
        fromText("rule nocase { strings:\n $a = \"MiXeD\" nocase }"),
    };
    struct Case {
        std::string content;
        std::vector<std::string> matches;
    };
    const std::vector<Case> cases = {
        {"alpha only", {}},
        {"alpha and beta", {"two"}},
        {"alpha beta gamma", {"two", "all"}},
        {std::string("a\0b\0c\0", 6), {"wide", "widenocase"}},
        {std::string("A\0B\0C\0", 6), {}},  // the wide form is compared exactly even with nocase
        {"ABC", {"widenocase"}},
        {"xx mixed yy", {"nocase"}},
    };
    for (const Case& c : cases) EXPECT_EQ(matchBoth(rules, "f.exe", c.content), c.matches) << c.content;
}

TEST(RuleMatching, ExpressionsSeeOnlyTheFirst64KiB) {
    const std::vector<DetectionRule> rules = {fromText("rule re { strings:\n $r = /needle[0-9]+/ }"),
                                              fromText("rule text { strings:\n $t = \"needle42\" }")};
    const std::string early = "needle42" + std::string(70000, '.');
    const std::string late = std::string(65536 - 4, '.') + "needle42";
    EXPECT_EQ(matchBoth(rules, "f.exe", early), (std::vector<std::string>{"re", "text"}));
    EXPECT_EQ(matchBoth(rules, "f.exe", late), std::vector<std::string>{"text"});
    EXPECT_EQ(matchBoth(rules, "f.exe", "NEEDLE7"), std::vector<std::string>{"re"}) << "case-insensitive";
}

TEST(RuleMatching, FileNameGateMatchesTheWholeNameInAnyCase) {
    DetectionRule bat;
    bat.name = "bat";
    bat.plainStrings = {"x"};
    bat.fileNameRegex = R"(.*\.bat$)";
    DetectionRule broken = bat;
    broken.name = "brokenGate";
    broken.fileNameRegex = "(";
    const std::vector<DetectionRule> rules = {bat, broken};
    struct Case {
        std::string path;
        bool matches;
    };
    const Case cases[] = {{"C:\\dir\\RUN.BAT", true}, {"/tmp/run.bat", true}, {"run.bat", true},
                          {"C:\\run.bat.txt", false}, {"C:\\run.bat\\x", false}, {"C:\\bat", false}};
    for (const Case& c : cases) {
        EXPECT_EQ(matchBoth(rules, c.path, "x"), c.matches ? std::vector<std::string>{"bat"} : std::vector<std::string>{})
            << c.path;
    }
}

TEST(RuleMatching, InvalidExpressionCountsButIsNeverFound) {
    const std::vector<DetectionRule> rules = {
        fromText("rule lenient { strings:\n $bad = /([a-z/\n $ok = \"ok\"\n condition: any of them }"),
        fromText("rule strict { strings:\n $bad = /(unclosed/\n $ok = \"ok\"\n condition: all of them }"),
    };
    EXPECT_EQ(matchBoth(rules, "f.exe", "ok (unclosed"), std::vector<std::string>{"lenient"});
}

TEST(RuleMatching, HexPatterns) {
    const std::vector<DetectionRule> rules = {
        fromText("rule hex { strings:\n $h = { 4D 5A ?? 90 [2-4] E8 } }"),
        fromText("rule wild { strings:\n $h = { ?? ?? ?? ?? } }"),
        fromText("rule upper { strings:\n $h = { 41 42 43 } }"),
    };
    struct Case {
        std::string content;
        std::vector<std::string> matches;
    };
    const std::vector<Case> cases = {
        {"MZ\x01\x90\x02\xE8", {"hex", "wild"}},
        {"MZ\x01\x91\x02\xE8", {"wild"}},
        {"xyz", {}},
        {"abcd", {"wild"}},  // folding in the search must not make hex bytes case-insensitive
        {"ABC", {"upper"}},
        {"..MZ", {"wild"}},  // the fixed run found, the pattern longer than what follows
    };
    for (const Case& c : cases) EXPECT_EQ(matchBoth(rules, "f.exe", c.content), c.matches) << c.content;
}

TEST(RuleMatching, RecordsInRuleOrder) {
    DetectionRule first;
    first.name = "First";
    first.description = "第一";
    first.severity = 3;
    first.plainStrings = {"zz"};
    DetectionRule second = first;
    second.name = "Second";
    second.severity = 0;
    second.plainStrings = {"aa"};
    const auto records = CompiledRuleSet({first, second}).match("plainname.exe", bytesOf("aa zz"));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].ruleName, "First");
    EXPECT_EQ(records[0].description, "第一");
    EXPECT_EQ(records[0].severity, Severity::Critical);
    EXPECT_EQ(records[0].type, ThreatType::YaraRule);
    EXPECT_EQ(records[0].filePath, "plainname.exe");
    EXPECT_EQ(records[0].fileName, "plainname.exe");
    EXPECT_EQ(records[1].ruleName, "Second");
    EXPECT_EQ(records[1].severity, Severity::Low);
    EXPECT_TRUE(CompiledRuleSet({first}).match("x", {}).empty());
}

TEST(BuiltinRules, ThirteenInOrder) {
    const auto rules = builtinRules();
    const std::vector<std::string> expected = {
        "Metasploit.Shellcode.x86", hide("Suspicious.PowerShell.EncodedCommand").reveal(), "Suspicious.BatchScript.Destructive",
        "Ransom.FileExtension.Write", "Suspicious.PE.ProcessInjection", "HackTool.Mimikatz",
        "Suspicious.ReverseShell", "CoinMiner.Generic", "CobaltStrike.Beacon", hide("RAT.Gh0st.Generic").reveal(),
        hide("RAT.AsyncRAT.NET").reveal(), hide("RAT.DcRAT.NET").reveal(), hide("RAT.Pulsar.NET").reveal()};
    std::vector<std::string> names;
    for (const auto& r : rules) names.push_back(r.name);
    EXPECT_EQ(names, expected);
    // Compared through variables: an assertion's text is kept in the binary as written.
    const std::string removeDrive = hide("rd /s /q c:\\").reveal();
    const std::string beaconStub = hide("MZARUH\x89\xE5").reveal();
    const std::string shellcode = hide("\xFC\xE8\x82\x00\x00\x00").reveal();
    EXPECT_EQ(rules[2].plainStrings[2], removeDrive);
    EXPECT_EQ(rules[2].plainStrings[2].size(), 12u);
    EXPECT_EQ(rules[9].plainStrings[3].size(), 13u);
    EXPECT_EQ(rules[8].plainStrings[3], beaconStub);
    EXPECT_EQ(rules[0].plainStrings[0], shellcode);
}

TEST(BuiltinRules, HitsAndNearMisses) {
    const auto rules = builtinRules();
    struct Case {
        std::string path, content;
        std::vector<std::string> matches;
    };
    const std::vector<Case> cases = {
        {"a.bin", hide("\x90\xFC\xE8\x89\x00\x00\x00").reveal(), {"Metasploit.Shellcode.x86"}},
        {"a.bin", hide("\xFC\xE8\x89\x00\x00").reveal(), {}},  // one byte short
        {"a.ps1", hide("powershell -nop -w hidden").reveal(), {hide("Suspicious.PowerShell.EncodedCommand").reveal()}},
        {"a.ps1", hide("PowerShell.exe -ExecutionPolicy Bypass -EnC SQBFAFgAKABOAGUAdwAtAE8AYgBqAGUAYw").reveal(),
         {hide("Suspicious.PowerShell.EncodedCommand").reveal()}},
        {"a.ps1", hide("powershell -ExecutionPolicy Bypass -encodedcommandx").reveal(), {}},
        {"x.bat", hide("format c:").reveal(), {"Suspicious.BatchScript.Destructive"}},
        {"X.BAT", hide("rd /s /q c:\\").reveal(), {"Suspicious.BatchScript.Destructive"}},
        {"x.cmd", hide("format c:").reveal(), {}},
        {"a.dll", hide("notes.locky").reveal(), {"Ransom.FileExtension.Write"}},
        {"a.dll", hide("rename %s.encrypted").reveal(), {"Ransom.FileExtension.Write"}},
        {"a.dll", "rename s.encrypted", {}},
        {"a.exe", hide("VirtualAllocEx WriteProcessMemory CreateRemoteThread").reveal(), {"Suspicious.PE.ProcessInjection"}},
        {"a.txt", hide("VirtualAllocEx WriteProcessMemory CreateRemoteThread").reveal(), {}},
        {"a.exe", hide("VirtualAllocEx WriteProcessMemory").reveal(), {}},
        {"m.exe", hide("sekurlsa::logonpasswords").reveal(), {"HackTool.Mimikatz"}},
        {"m.exe", "SEKURLSA::LOGONPASSWORDS MIMIKATZ", {}},
        {"s.py", hide("os.system('/bin/sh -i')").reveal(), {"Suspicious.ReverseShell"}},
        {"s.exe", hide("WSASocketA ... connect ... CMD.EXE").reveal(), {"Suspicious.ReverseShell"}},
        {"s.exe", hide("WSASocketA ... cmd.exe ... connect").reveal(), {}},
        {"c.sh", hide("./xmrig -o pool").reveal(), {"CoinMiner.Generic"}},
        {"c.sh", "XMRIG", {}},
        {"b.dll", hide("%s.4444").reveal(), {"CobaltStrike.Beacon"}},
        {"b.dll", hide("MZARUH\x89\xE5").reveal(), {"CobaltStrike.Beacon"}},
        {"b.dll", "%d.4444", {}},
        {"g.exe", hide("Gh0st GH0ST").reveal(), {hide("RAT.Gh0st.Generic").reveal()}},
        {"g.exe", hide("Gh0st Update").reveal(), {hide("RAT.Gh0st.Generic").reveal()}},  // also holds hide("Gh0st").reveal(): two strings
        {"g.exe", hide("Gh0st only").reveal(), {}},
        {"r.exe", hide("AsyncRAT with aes_key").reveal(), {hide("RAT.AsyncRAT.NET").reveal()}},
        {"r.txt", hide("AsyncRAT with aes_key").reveal(), {}},
        {"r.exe", hide("AsyncRAT alone").reveal(), {}},
        {"tool.exe", hide("dcrat").reveal(), {hide("RAT.DcRAT.NET").reveal()}},
        {"tool.exe", "DCRAT", {}},
        {"tool.exe", hide("Pulsar").reveal(), {}},
        {"tool.SCR", hide("Pulsar.Client").reveal(), {hide("RAT.Pulsar.NET").reveal()}},  // contains hide("Pulsar").reveal() too
        {"both.exe", hide("kerberos::golden beacon.dll").reveal(), {"HackTool.Mimikatz", "CobaltStrike.Beacon"}},
    };
    for (const Case& c : cases) EXPECT_EQ(matchBoth(rules, c.path, c.content), c.matches) << c.path << ": " << c.content;
}

TEST(BuiltinRules, ExpressionsStaySafeOnHostileContent) {
    // Windows built to make the lazy [\s\S]*? expressions backtrack as much as they
    // can; each must end with an answer (a match limit counts as "not found").
    const auto rules = builtinRules();
    const std::string fills[] = {hide("powershell -e ").reveal(), hide("WSASocket connect ").reveal(), "%s.", "*.", hide("powershell-eNc ").reveal(), "\n\r "};
    for (const DetectionRule& rule : rules) {
        if (rule.contentRegex.empty()) continue;
        const auto program = RegexProgram::compile(rule.contentRegex);
        ASSERT_NE(program, nullptr) << rule.name;
        for (const std::string& fill : fills) {
            std::string window;
            while (window.size() < 65536) window += fill;
            window.resize(65536);
            const auto outcome = program->search(window);
            EXPECT_NE(outcome, RegexProgram::Outcome::Match) << rule.name << " / " << fill;
            const auto records = CompiledRuleSet(rules).match("hostile.exe", bytesOf(window + window));
            EXPECT_EQ(ruleNames(records), ruleNames(matchRulesOneByOne(rules, "hostile.exe", bytesOf(window + window))));
        }
    }
}

// Random rules over a small alphabet and random contents built from the same
// pieces: the fast matcher must give exactly the one-by-one verdicts.
TEST(RuleMatching, FastMatcherAgreesWithOneByOne) {
    std::mt19937 random(20261210);
    const std::vector<std::string> pieces = {"ab", "AB", "abc", "Zz", "q", std::string("\0a", 2), "MZ", "\x90\x90",
                                             "xy", "XY!", "aB", "c"};
    auto pick = [&](std::size_t n) { return random() % n; };
    auto piece = [&] { return pieces[pick(pieces.size())]; };

    std::vector<DetectionRule> rules;
    for (int r = 0; r < 150; ++r) {
        DetectionRule rule;
        rule.name = "r" + std::to_string(r);
        const int strings = 1 + static_cast<int>(pick(4));
        for (int s = 0; s < strings; ++s) {
            switch (pick(5)) {
                case 0: rule.plainStrings.push_back(piece() + (pick(2) ? piece() : "")); break;
                case 1: rule.textStrings.push_back({piece() + piece(), pick(2) == 0, pick(3) == 0}); break;
                case 2: {
                    HexPattern hex;
                    const std::string base = piece() + piece();
                    for (const char c : base) {
                        const bool wild = pick(4) == 0;
                        hex.bytes.push_back(wild ? 0 : static_cast<std::uint8_t>(c));
                        hex.wildcard.push_back(wild);
                    }
                    rule.hexStrings.push_back(hex);
                    break;
                }
                case 3: rule.regexes.push_back(pick(6) == 0 ? "(" : "a[bc]+" + std::string(pick(2) ? "z" : "")); break;
                default: rule.plainStrings.push_back(""); break;
            }
        }
        rule.minMatches = static_cast<std::int32_t>(pick(4));
        rule.requireAll = pick(5) == 0;
        if (pick(6) == 0) rule.fileNameRegex = pick(2) ? ".*\\.exe$" : ".*\\.dll$";
        rules.push_back(rule);
    }
    const CompiledRuleSet compiled(rules);
    for (int c = 0; c < 300; ++c) {
        std::string content;
        const std::size_t length = pick(12);
        for (std::size_t i = 0; i < length; ++i) content += pick(3) ? piece() : std::string(1, static_cast<char>(pick(256)));
        const std::string path = pick(2) ? "C:\\x\\f.exe" : "/tmp/f.DLL";
        const auto fast = ruleNames(compiled.match(path, bytesOf(content)));
        const auto slow = ruleNames(matchRulesOneByOne(rules, path, bytesOf(content)));
        ASSERT_EQ(fast, slow) << "content #" << c;
    }
}

}  // namespace
}  // namespace quillvarden
