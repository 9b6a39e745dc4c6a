#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ruleengine/rule_parser.h"

namespace quillvarden {
namespace {

std::vector<std::string> names(const std::vector<DetectionRule>& rules) {
    std::vector<std::string> out;
    for (const auto& r : rules) out.push_back(r.name);
    return out;
}

TEST(RuleParser, WholeRuleOnOneLine) {
    const auto rules = parseRuleText(R"(rule one { strings: $a = "evil" condition: $a })");
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0].name, "one");
    EXPECT_EQ(rules[0].description, "one");
    EXPECT_EQ(rules[0].severity, 2);
    ASSERT_EQ(rules[0].textStrings.size(), 1u);
    EXPECT_EQ(rules[0].textStrings[0].text, "evil");
    EXPECT_EQ(rules[0].minMatches, 1);
    EXPECT_FALSE(rules[0].requireAll);
}

TEST(RuleParser, OneDefinitionPerLine) {
    const auto rules = parseRuleText("rule two {\n strings:\n  $a = \"x\" $b = \"y\"\n condition: any of them }");
    ASSERT_EQ(rules.size(), 1u);
    ASSERT_EQ(rules[0].textStrings.size(), 1u);
    EXPECT_EQ(rules[0].textStrings[0].text, "x");
}

TEST(RuleParser, KeywordBoundaries) {
    const std::string body = " { strings: $a = \"s\" }\n";
    struct Case {
        std::string text;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases = {
        {"myrule b" + body, {}},
        {"rule_x" + body, {}},
        {"rule1 b" + body, {}},
        {"_rule b" + body, {"b"}},
        {"private rule p : tag" + body, {"p"}},
        {"global rule\tg" + body, {"g"}},
        {"import \"pe\"\ninclude \"x\"\nrule\r\nspaced" + body, {"spaced"}},
        {"rule {strings: $a = \"s\"}\nrule named" + body, {"named"}},  // an empty name: skipped, body consumed
        {"rule a { strings: $x = \"rule inner { strings: $y = \\\"q\\\" }\" }", {"a"}},
        {"rule", {}},
        {"rule onlyname", {}},
        {"rule nobrace strings: $a = \"s\"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(names(parseRuleText(c.text)), c.names) << c.text;
}

TEST(RuleParser, RulesWithoutUsableStringsAreDropped) {
    const auto rules = parseRuleText(R"(
        rule conditionOnly { condition: true }
        rule unsupported { strings: $a = 123 $b condition: any of them }
        rule emptyText { strings: $a = "" $h = { zz } $r = /x $e = // comment
          condition: $a }
        rule kept { strings: $a = "k" }
    )");
    EXPECT_EQ(names(rules), std::vector<std::string>{"kept"});
}

TEST(RuleParser, StringKinds) {
    const auto rules = parseRuleText(R"RULES(
rule kinds {
  strings:
    $t = "Wide" wide nocase
    $u = "ascii" ascii
    $h = { 4D 5A ?? 90 [2-4] E8 }
    $open = { 4D 5A
    $z = "}"
    $r = /cmd\.exe/i
    $s = /a/b/
    $q = "slash // inside"
  condition:
    any of them
})RULES");
    ASSERT_EQ(rules.size(), 1u);
    const DetectionRule& r = rules[0];
    ASSERT_EQ(r.textStrings.size(), 4u);
    EXPECT_TRUE(r.textStrings[0].wide && r.textStrings[0].nocase);
    EXPECT_FALSE(r.textStrings[1].wide || r.textStrings[1].nocase);
    EXPECT_EQ(r.textStrings[2].text, "}");
    EXPECT_EQ(r.textStrings[3].text, "slash // inside");
    ASSERT_EQ(r.hexStrings.size(), 2u);
    EXPECT_EQ(r.hexStrings[0].bytes.size(), 6u);
    EXPECT_EQ(r.hexStrings[1].bytes, (std::vector<std::uint8_t>{0x4D, 0x5A}));
    EXPECT_EQ(r.regexes, (std::vector<std::string>{"cmd\\.exe", "a/b"}));
    EXPECT_EQ(r.stringCount(), 8u);
}

TEST(RuleParser, Conditions) {
    struct Case {
        std::string condition;
        std::size_t strings;
        int minMatches;
        bool requireAll;
    };
    const Case cases[] = {
        {"2 of them", 3, 2, false},         {"2 of them", 1, 1, false},
        {"5 of them", 3, 3, false},         {"all of them", 3, 1, true},
        {"ALL OF THEM and 2 of them", 3, 1, true},
        {"any of them", 3, 1, false},       {"none of them", 3, 1, false},
        {"0 of them", 3, 1, false},         {"x2   of them", 3, 2, false},
        {"99999999999999999999 of them", 3, 3, false},
        {"$a and $b", 3, 1, true},          {"$a and ($b or $c)", 3, 1, false},
        {"$a or $b", 3, 1, false},          {"$a", 3, 1, false},
        {"all of ($a*)", 3, 1, false},      {"", 3, 1, false},
    };
    for (const Case& c : cases) {
        std::string text = "rule r { strings:\n";
        for (std::size_t i = 0; i < c.strings; ++i) text += " $s" + std::to_string(i) + " = \"v" + std::to_string(i) + "\"\n";
        text += " condition: " + c.condition + "\n}";
        const auto rules = parseRuleText(text);
        ASSERT_EQ(rules.size(), 1u) << c.condition;
        EXPECT_EQ(rules[0].minMatches, c.minMatches) << c.condition << " / " << c.strings;
        EXPECT_EQ(rules[0].requireAll, c.requireAll) << c.condition;
    }
    const auto noCondition = parseRuleText("rule r { strings: $a = \"a\" }");
    EXPECT_EQ(noCondition[0].minMatches, 1);
}

TEST(RuleParser, MetaLines) {
    const auto rules = parseRuleText(R"(
rule meta1 {
  meta:
    author = "someone"
    description = "first"
    DESC = "Second \"quoted\""
    level = "very LOW"
    Threat_Level = Critical
    info
  strings: $a = "a"
}
rule meta2 { meta: info = plain words severity = high
  strings: $a = "a" }
)");
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0].description, "Second \"quoted\"");
    EXPECT_EQ(rules[0].severity, 3);
    EXPECT_EQ(rules[1].description, "plain words severity = high") << "one line, split at the first '='";
}

TEST(RuleParser, SectionsAreFoundAtWordStarts) {
    const auto rules = parseRuleText(R"(
rule s { xstrings: $a = "no"
  condition: all of them
  strings: $b = "yes"
})");
    ASSERT_EQ(rules.size(), 1u);
    ASSERT_EQ(rules[0].textStrings.size(), 1u);
    EXPECT_EQ(rules[0].textStrings[0].text, "yes");
    EXPECT_TRUE(rules[0].requireAll) << "the condition runs on to the body's end";
}

TEST(RuleParser, BracesInsideQuotesAndUnbalancedFiles) {
    // A closing brace in a quoted string ends the body early; the rest is searched
    // as text between rules.
    const auto early = parseRuleText("rule a { strings: $a = \"}\" $b = \"x\" }\nrule b { strings: $a = \"b\" }");
    EXPECT_EQ(names(early), (std::vector<std::string>{"b"}));

    const auto cut = parseRuleText(
        "rule first { strings: $a = \"1\" }\nrule broken { strings: $a = \"2\" {\nrule third { strings: $a = \"3\" }");
    EXPECT_EQ(names(cut), std::vector<std::string>{"first"});
}

TEST(RuleParser, CommentsAreIgnored) {
    const auto rules = parseRuleText(R"(
// rule commented { strings: $a = "x" }
/* rule blocked { strings: $a = "x" } */
rule real { strings:
  $a = "a" // trailing
  /* $b = "b" */
}
)");
    ASSERT_EQ(names(rules), std::vector<std::string>{"real"});
    EXPECT_EQ(rules[0].textStrings.size(), 1u);
}

}  // namespace
}  // namespace quillvarden
