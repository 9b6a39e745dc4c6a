#include "engine/trust_list.h"

#include <string_view>

#include "engine/detection_engine.h"
#include "platform/ascii_text.h"
#include "platform/console.h"
#include "platform/file_io.h"
#include "platform/process_paths.h"

namespace quillvarden {
namespace {

// trustlist.txt is a short list of paths; anything past this is not one.
constexpr std::size_t kMaxTrustListBytes = 16 * 1024 * 1024;

}  // namespace

std::string normalizeTrustPath(const std::string& path) {
    std::string key = foldPath(path);
    while (!key.empty() && key.back() == '\\') key.pop_back();
    if (key.empty()) return {};
    key.push_back('\\');
    return key;
}

std::string trustListPath() {
    const std::string directory = platform::executableDirectory();
    if (directory.empty()) return "trustlist.txt";
    return directory + platform::kPathSeparator + "trustlist.txt";
}

void DetectionEngine::loadTrustList() {
    std::size_t count = 0;
    {
        std::lock_guard<std::mutex> lock(trustLock);
        trustEntries.clear();
        const std::optional<std::string> content = platform::readFilePrefix(trustListFile, kMaxTrustListBytes);
        if (!content) return;
        std::string_view rest(*content);
        while (!rest.empty()) {
            const auto newline = rest.find('\n');
            std::string_view line = rest.substr(0, newline);
            rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (line.size() > 2 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
            const std::string text(trimChars(line, " \t"));
            if (text.empty()) continue;
            const std::string key = normalizeTrustPath(text);
            if (key.empty()) continue;
            bool present = false;
            for (const TrustEntry& entry : trustEntries) present = present || entry.key == key;
            if (!present) trustEntries.push_back({text, key});
        }
        count = trustEntries.size();
        trustGeneration.fetch_add(1);
    }
    platform::writeOutLine("[羽岚 Quillvarden] 已加载信任区目录 " + std::to_string(count) + " 个");
}

void DetectionEngine::saveTrustList() {
    // The snapshot is taken and written under one save lock, so the list written
    // last is always the newest; scans only ever wait for the brief copy.
    std::lock_guard<std::mutex> saving(trustSaveMutex_);
    std::string content;
    {
        std::lock_guard<std::mutex> lock(trustLock);
        for (const TrustEntry& entry : trustEntries) content.append(entry.path).push_back('\n');
    }
    platform::replaceFileContent(trustListFile, content);
}

int DetectionEngine::addTrustedDir(const std::string& path) {
    const std::string key = normalizeTrustPath(path);
    if (key.empty()) return 0;
    {
        std::lock_guard<std::mutex> lock(trustLock);
        for (const TrustEntry& entry : trustEntries) {
            if (entry.key == key) return 0;
        }
        trustEntries.push_back({path, key});
        trustGeneration.fetch_add(1);
    }
    saveTrustList();
    return 1;
}

bool DetectionEngine::removeTrustedDir(const std::string& path) {
    const std::string key = normalizeTrustPath(path);
    {
        std::lock_guard<std::mutex> lock(trustLock);
        auto found = trustEntries.begin();
        while (found != trustEntries.end() && found->key != key) ++found;
        if (found == trustEntries.end()) return false;
        trustEntries.erase(found);
        trustGeneration.fetch_add(1);
    }
    saveTrustList();
    return true;
}

std::vector<std::string> DetectionEngine::listTrustedDirs() {
    std::lock_guard<std::mutex> lock(trustLock);
    std::vector<std::string> dirs;
    dirs.reserve(trustEntries.size());
    for (const TrustEntry& entry : trustEntries) dirs.push_back(entry.path);
    return dirs;
}

bool DetectionEngine::isTrusted(const std::string& path) {
    const std::string folded = foldPath(path);
    std::lock_guard<std::mutex> lock(trustLock);
    for (const TrustEntry& entry : trustEntries) {
        if (startsWith(folded, entry.key)) return true;
    }
    return false;
}

}  // namespace quillvarden
