#include "engine/pe_heuristics.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "engine/file_filters.h"
#include "platform/ascii_text.h"
#include "platform/process_paths.h"
#include "ruleengine/hidden_text.h"
#include "server/records/wall_clock.h"

namespace quillvarden {
namespace {

constexpr std::array<std::string_view, 8> kPackerSections = {".UPX0", ".UPX1",  ".aspack",   ".adata",
                                                             ".nsp0", ".vmp0", ".themida", ".packed"};
// More sections than this is no real image; the cap bounds the work on hostile headers.
constexpr std::uint32_t kMaxSections = 96;
constexpr double kEntropyThreshold = 7.2;
constexpr std::size_t kSectionHeaderSize = 40;

// Reads little-endian values only inside the content.
class Bytes {
public:
    explicit Bytes(const std::vector<std::uint8_t>& content) : data_(content.data()), size_(content.size()) {}
    std::uint64_t size() const { return size_; }
    bool has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    std::uint16_t u16(std::uint64_t offset) const {
        return static_cast<std::uint16_t>(data_[offset] | (data_[offset + 1] << 8));
    }
    std::uint32_t u32(std::uint64_t offset) const {
        return static_cast<std::uint32_t>(data_[offset]) | (static_cast<std::uint32_t>(data_[offset + 1]) << 8) |
               (static_cast<std::uint32_t>(data_[offset + 2]) << 16) |
               (static_cast<std::uint32_t>(data_[offset + 3]) << 24);
    }
    const std::uint8_t* at(std::uint64_t offset) const { return data_ + offset; }

private:
    const std::uint8_t* data_;
    std::uint64_t size_;
};

bool isPackerName(std::string_view name) {
    for (const std::string_view packer : kPackerSections) {
        if (name == packer) return true;
    }
    return false;
}

bool contentHas(const std::vector<std::uint8_t>& content, std::string_view needle) {
    const std::string_view text(reinterpret_cast<const char*>(content.data()), content.size());
    return text.find(needle) != std::string_view::npos;
}

Severity severityForScore(int score) {
    if (score >= 60) return Severity::Critical;
    if (score >= 40) return Severity::High;
    return Severity::Medium;
}

}  // namespace

double byteEntropy(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0.0;
    std::array<std::uint64_t, 256> counts{};
    for (std::size_t i = 0; i < size; ++i) ++counts[data[i]];
    double entropy = 0.0;
    for (const std::uint64_t count : counts) {
        if (count == 0) continue;
        const double p = static_cast<double>(count) / static_cast<double>(size);
        entropy -= p * std::log2(p);
    }
    return entropy;
}

std::string entropyText(double entropy) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", entropy);
    return std::string(text).substr(0, 4);
}

std::vector<ThreatInfo> analyzePeImage(const std::string& path, const std::vector<std::uint8_t>& content) {
    const Bytes bytes(content);
    // Header checks: without a PE header there is nothing to judge.
    if (bytes.size() < 64 || content[0] != 'M' || content[1] != 'Z') return {};
    const std::uint64_t pe = bytes.u32(60);
    if (!bytes.has(pe, 24) || content[pe] != 'P' || content[pe + 1] != 'E' || content[pe + 2] != 0 ||
        content[pe + 3] != 0) {
        return {};
    }
    const std::uint32_t sectionCount = bytes.u16(pe + 6);
    if (sectionCount > kMaxSections) return {};
    const std::uint64_t sectionTable = pe + 24 + bytes.u16(pe + 20);

    int score = 0;
    std::vector<std::string> reasons;
    if (sectionCount > 0 && bytes.has(sectionTable, kSectionHeaderSize * sectionCount)) {
        for (std::uint32_t i = 0; i < sectionCount; ++i) {
            const std::uint64_t header = sectionTable + kSectionHeaderSize * i;
            if (!bytes.has(header, kSectionHeaderSize)) break;
            std::size_t nameLength = 0;
            while (nameLength < 8 && content[header + nameLength] != 0) ++nameLength;
            const std::string name(reinterpret_cast<const char*>(bytes.at(header)), nameLength);
            if (isPackerName(name)) {
                score += 30;
                reasons.push_back("PE 节名 \"" + name + "\" 为已知加壳器特征");
            }
            const std::uint64_t rawSize = bytes.u32(header + 16);
            const std::uint64_t rawOffset = bytes.u32(header + 20);
            if (rawSize > 0 && rawOffset < bytes.size() && bytes.has(rawOffset, rawSize)) {
                const double entropy = byteEntropy(bytes.at(rawOffset), static_cast<std::size_t>(rawSize));
                if (entropy > kEntropyThreshold) {
                    score += 25;
                    reasons.push_back("节 \"" + name + "\" 熵值过高(" + entropyText(entropy) + ")，疑似加密/压缩");
                }
            }
        }
    }

    // Hidden: as plain text these names would make the program match its own rules.
    static const std::string allocate = hide("VirtualAllocEx").reveal();
    static const std::string writeMemory = hide("WriteProcessMemory").reveal();
    static const std::string remoteThread = hide("CreateRemoteThread").reveal();
    if (contentHas(content, allocate) && contentHas(content, writeMemory)) {
        if (contentHas(content, remoteThread)) {
            score += 40;
            reasons.push_back("导入了进程注入 API 三件套(" + allocate + "+" + writeMemory + "+" + remoteThread + ")");
        } else {
            score += 20;
            reasons.push_back("导入了可疑内存操作 API 组合");
        }
    }

    // Separators are folded first, so a Linux /tmp/ counts like \Temp\ does.
    const std::string folded = foldPath(path);
    if (containsIgnoreCase(folded, "\\temp\\") || containsIgnoreCase(folded, "\\tmp\\") ||
        containsIgnoreCase(folded, "\\appdata\\local\\temp")) {
        score += 10;
        reasons.push_back("PE 文件位于临时目录");
    }

    if (score < 30) return {};
    ThreatInfo record;
    record.filePath = path;
    record.fileName = platform::fileNameOf(path);
    record.type = ThreatType::Heuristic;
    record.severity = severityForScore(score);
    record.ruleName = "PE.Heuristic.Suspicious";
    record.description = "PE 启发式检测命中(得分 " + std::to_string(score) + ")：";
    for (std::size_t i = 0; i < reasons.size(); ++i) record.description += (i ? "；" : "") + reasons[i];
    record.detectedAtMs = nowMs();
    return {record};
}

}  // namespace quillvarden
