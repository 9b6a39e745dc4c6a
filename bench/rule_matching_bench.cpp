// Throughput of rule matching: the built-in rules plus a few hundred generated ones
// against a generated corpus of mixed files, for the compiled matcher and, in the
// same run, for the one-by-one matcher it replaces. Also checks that both give the
// same verdicts on every file.
//   rule_matching_bench [generated rules, default 400] [corpus MiB, default 48]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "ruleengine/builtin_rules.h"
#include "ruleengine/compiled_rule_set.h"
#include "ruleengine/reference_matcher.h"

namespace {

using namespace quillvarden;
using Clock = std::chrono::steady_clock;

std::mt19937_64 rng(424242);

std::size_t pick(std::size_t n) { return static_cast<std::size_t>(rng() % n); }

std::string word(std::size_t minLength, std::size_t maxLength) {
    static const std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_.:";
    std::string w;
    const std::size_t length = minLength + pick(maxLength - minLength + 1);
    for (std::size_t i = 0; i < length; ++i) w.push_back(letters[pick(letters.size())]);
    return w;
}

std::vector<std::string> vocabulary;  // strings the rules look for; some files carry a few

DetectionRule generatedRule(int n) {
    DetectionRule rule;
    rule.name = "Generated.Rule." + std::to_string(n);
    rule.description = rule.name;
    const std::size_t strings = 2 + pick(4);
    for (std::size_t s = 0; s < strings; ++s) {
        const std::string w = word(6, 16);
        vocabulary.push_back(w);
        switch (pick(10)) {
            case 0:
            case 1:
            case 2: rule.plainStrings.push_back(w); break;
            case 3:
            case 4: rule.textStrings.push_back({w, true, false}); break;
            case 5: rule.textStrings.push_back({w, pick(2) == 0, true}); break;
            case 6:
            case 7: {
                HexPattern hex;
                for (std::size_t i = 0; i < 8 + pick(8); ++i) {
                    const bool wild = i % 5 == 4;
                    hex.bytes.push_back(wild ? 0 : static_cast<std::uint8_t>(w[i % w.size()]));
                    hex.wildcard.push_back(wild);
                }
                rule.hexStrings.push_back(hex);
                break;
            }
            case 8: rule.regexes.push_back(w.substr(0, 4) + "[0-9]{3,}" + w.substr(4, 3)); break;
            default: rule.textStrings.push_back({w, false, false}); break;
        }
    }
    rule.minMatches = static_cast<std::int32_t>(1 + pick(2));
    return rule;
}

std::vector<std::uint8_t> generatedFile(std::size_t size) {
    std::vector<std::uint8_t> file;
    file.reserve(size);
    switch (pick(4)) {
        case 0:  // compressed-looking binary
            while (file.size() < size) file.push_back(static_cast<std::uint8_t>(rng()));
            break;
        case 1: {  // an executable-like image: header, code-like bytes, import names
            const std::string header = "MZ\x90";
            file.assign(header.begin(), header.end());
            const char* names[] = {"KERNEL32.dll", "GetProcAddress", "LoadLibraryA", "VirtualAlloc", ".text", ".rdata"};
            while (file.size() < size) {
                if (pick(64) == 0) {
                    const std::string n = names[pick(6)];
                    file.insert(file.end(), n.begin(), n.end());
                } else {
                    file.push_back(static_cast<std::uint8_t>(pick(8) == 0 ? 0 : rng()));
                }
            }
            break;
        }
        default: {  // scripts and text
            while (file.size() < size) {
                const bool planted = !vocabulary.empty() && pick(400) == 0;
                const std::string w = planted ? vocabulary[pick(vocabulary.size())] : word(2, 9);
                file.insert(file.end(), w.begin(), w.end());
                file.push_back(pick(10) == 0 ? '\n' : ' ');
            }
            break;
        }
    }
    file.resize(size);
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    const int generatedRules = argc > 1 ? std::atoi(argv[1]) : 400;
    const std::size_t corpusBytes = (argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 48) << 20;

    std::vector<DetectionRule> rules = builtinRules();
    for (int i = 0; i < generatedRules; ++i) rules.push_back(generatedRule(i));

    std::vector<std::vector<std::uint8_t>> corpus;
    std::size_t total = 0;
    while (total < corpusBytes) {
        const std::size_t size = pick(4) == 0 ? (256 << 10) + pick(2 << 20) : 1024 + pick(64 << 10);
        corpus.push_back(generatedFile(size));
        total += corpus.back().size();
    }
    const char* paths[] = {"C:\\Users\\u\\Downloads\\setup.exe", "/home/u/run.sh", "C:\\tools\\x.dll", "D:\\a.bat"};

    const auto compileStart = Clock::now();
    const CompiledRuleSet compiled(rules);
    const double compileMs = std::chrono::duration<double, std::milli>(Clock::now() - compileStart).count();

    std::size_t hits = 0;
    const auto fastStart = Clock::now();
    for (std::size_t i = 0; i < corpus.size(); ++i) hits += compiled.match(paths[i % 4], corpus[i]).size();
    const double fastSeconds = std::chrono::duration<double>(Clock::now() - fastStart).count();

    // The one-by-one matcher is far slower: it reads a slice of the corpus.
    std::size_t slowBytes = 0;
    std::size_t mismatches = 0;
    std::size_t compared = 0;
    double slowSeconds = 0;
    for (std::size_t i = 0; i < corpus.size() && slowBytes < total / 8; ++i) {
        const auto start = Clock::now();
        const auto slow = matchRulesOneByOne(rules, paths[i % 4], corpus[i]);
        slowSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        slowBytes += corpus[i].size();
        const auto fast = compiled.match(paths[i % 4], corpus[i]);
        bool same = fast.size() == slow.size();
        for (std::size_t k = 0; same && k < fast.size(); ++k) same = fast[k].ruleName == slow[k].ruleName;
        mismatches += same ? 0 : 1;
        ++compared;
    }

    const double mib = 1024.0 * 1024.0;
    std::printf("rules: %zu (13 built-in + %d generated), compiled in %.1f ms\n", rules.size(), generatedRules,
                compileMs);
    std::printf("corpus: %zu files, %.1f MiB, %zu rule hits\n", corpus.size(), total / mib, hits);
    std::printf("compiled matcher:   %8.1f MiB/s\n", total / mib / fastSeconds);
    std::printf("one-by-one matcher: %8.1f MiB/s (on %.1f MiB)\n", slowBytes / mib / slowSeconds, slowBytes / mib);
    std::printf("speed-up: %.0fx; verdicts differ on %zu of %zu files compared\n",
                (total / fastSeconds) / (slowBytes / slowSeconds), mismatches, compared);
    return mismatches == 0 ? 0 : 1;
}
