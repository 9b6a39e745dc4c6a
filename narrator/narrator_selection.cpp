#include "narrator/narrator_selection.h"

#include "narrator/llama_narrator.h"
#include "narrator/rule_narrator.h"
#include "platform/ascii_text.h"
#include "platform/console.h"
#include "platform/directory_listing.h"
#include "platform/process_paths.h"

namespace quillvarden {

std::string findModelInDirectory(const std::string& directory) {
    std::vector<platform::DirectoryEntry> entries;
    if (!platform::listDirectory(directory, entries)) return {};
    for (const platform::DirectoryEntry& entry : entries) {
        const bool gguf = entry.name.size() > 5 && equalsIgnoreAsciiCase(entry.name.substr(entry.name.size() - 5), ".gguf");
        if (gguf && !entry.isDirectory) return directory + platform::kPathSeparator + entry.name;
    }
    return {};
}

std::vector<std::string> modelDirectories(const std::string& executableDirectory, char sep) {
    const std::string s(1, sep);
    std::vector<std::string> directories = {"models", "quillvarden" + s + "models", ".." + s + ".." + s + "models"};
    if (!executableDirectory.empty()) {
        directories.push_back(executableDirectory + s + "models");
        directories.push_back(executableDirectory + s + ".." + s + ".." + s + "models");
    }
    return directories;
}

std::string discoverModelIn(const std::vector<std::string>& directories) {
    for (const std::string& directory : directories) {
        std::string found = findModelInDirectory(directory);
        if (!found.empty()) return found;
    }
    return {};
}

std::string discoverModel() {
    return discoverModelIn(modelDirectories(platform::executableDirectory(), platform::kPathSeparator));
}

NarratorSelection selectNarratorFor(const std::string& modelPath, const ModelNarratorFactory& makeModelNarrator) {
    NarratorSelection selection;
    if (!modelPath.empty()) {
        platform::writeOutLine("[羽岚 Quillvarden] 发现本地模型： " + modelPath + "，尝试启用 AI 模式……");
        std::unique_ptr<INarrator> candidate = makeModelNarrator(modelPath);
        auto* model = dynamic_cast<LlamaNarrator*>(candidate.get());
        if (model && model->ready()) {
            selection.ruleMode = 0;
            selection.modelName = model->modelName;
            selection.narrator = std::move(candidate);
            platform::writeOutLine("[羽岚 Quillvarden] 当前叙事模式：AI 模式（本地大模型 " + selection.modelName + "）");
            return selection;
        }
        // A missing library has said so in one line already.
        if (!model || !model->libraryMissing()) {
            platform::writeErrLine("[羽岚 Quillvarden] 模型加载失败，自动降级为规则模式。");
        }
        candidate.reset();  // releases whatever the model had loaded
    } else {
        platform::writeOutLine("[羽岚 Quillvarden] 未发现 models\\*.gguf 模型，使用规则降级模式。");
    }
    selection.ruleMode = 1;
    selection.narrator = std::make_unique<RuleNarrator>();
    platform::writeOutLine("[羽岚 Quillvarden] 当前叙事模式：规则降级模式（无模型，纯离线模板）");
    return selection;
}

NarratorSelection selectNarrator() {
    return selectNarratorFor(discoverModel(), [](const std::string& path) -> std::unique_ptr<INarrator> {
        return std::make_unique<LlamaNarrator>(path);
    });
}

}  // namespace quillvarden
