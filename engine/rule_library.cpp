// The engine's rules: loading rule files and matching.
#include <string>

#include "engine/detection_engine.h"
#include "engine/directory_walk.h"
#include "engine/file_filters.h"
#include "platform/file_io.h"
#include "ruleengine/compiled_rule_set.h"
#include "ruleengine/rule_parser.h"

namespace quillvarden {
namespace {

// No rule file comes near this; a larger one is not read at all rather than cut.
constexpr std::uint64_t kMaxRuleFileBytes = 64ull * 1024 * 1024;

}  // namespace

std::size_t DetectionEngine::parseRules(const std::string& text) {
    std::vector<DetectionRule> parsed = parseRuleText(text);
    for (DetectionRule& rule : parsed) rules.push_back(std::move(rule));
    rulesChanged();
    return parsed.size();
}

std::size_t DetectionEngine::loadRuleFile(const std::string& path) {
    platform::FileReader reader;
    if (!reader.open(path) || reader.size().value_or(0) > kMaxRuleFileBytes) return 0;
    const std::optional<std::string> text = platform::readFilePrefix(path, kMaxRuleFileBytes);
    return text ? parseRules(*text) : 0;
}

long long DetectionEngine::loadRuleDirectory(const std::string& path) {
    long long total = 0;
    DirectoryWalk walk;
    walk.onFile = [&](const std::string& file, const std::string& name) {
        const std::string extension = extensionOf(name);
        if (extension == ".yar" || extension == ".yara") total += static_cast<long long>(loadRuleFile(file));
    };
    walkDirectoryTree(path, walk);
    return total;
}

void DetectionEngine::rulesChanged() {
    std::lock_guard<std::mutex> lock(compiledRulesMutex_);
    compiledRules_.reset();
}

std::shared_ptr<const CompiledRuleSet> DetectionEngine::compiledRules() const {
    std::lock_guard<std::mutex> lock(compiledRulesMutex_);
    if (!compiledRules_ || compiledRules_->ruleCount() != rules.size()) {
        compiledRules_ = std::make_shared<const CompiledRuleSet>(rules);
    }
    return compiledRules_;
}

std::vector<ThreatInfo> DetectionEngine::matchRules(const std::string& path,
                                                    const std::vector<std::uint8_t>& content) const {
    return compiledRules()->match(path, content);
}

}  // namespace quillvarden
