// Loading hash-signature files into the engine's digest tables.
#include <array>
#include <string>
#include <vector>

#include "engine/detection_engine.h"
#include "engine/directory_walk.h"
#include "engine/signature_line.h"
#include "platform/ascii_text.h"
#include "platform/file_io.h"

namespace quillvarden {
namespace {

// No valid entry comes near this; longer lines are skipped without being held whole,
// so a stray huge file costs no more memory than a small one.
constexpr std::size_t kMaxLineBytes = 64 * 1024;

constexpr std::array<const char*, 7> kSignatureExtensions = {".hdb", ".hsb",    ".txt",   ".md5",
                                                              ".sha1", ".sha256", ".hashes"};

bool isSignatureFileName(const std::string& name) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string extension = toLowerAscii(std::string_view(name).substr(dot));
    for (const char* known : kSignatureExtensions) {
        if (extension == known) return true;
    }
    return false;
}

}  // namespace

std::size_t DetectionEngine::loadSignatureFile(const std::string& path) {
    platform::FileReader reader;
    if (!reader.open(path)) return 0;

    std::size_t accepted = 0;
    auto acceptLine = [&](std::string_view line) {
        const std::optional<SignatureLine> parsed = parseSignatureLine(line);
        if (!parsed) return;
        HashTable* table = parsed->hash.size() == 32   ? &md5Table
                           : parsed->hash.size() == 40 ? &sha1Table
                           : parsed->hash.size() == 64 ? &sha256Table
                                                       : nullptr;
        if (!table) return;
        (*table)[parsed->hash] = parsed->name;
        ++accepted;
    };

    std::string line;
    bool overlong = false;
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        const std::size_t got = reader.read(chunk.data(), chunk.size());
        if (got == 0) break;
        std::string_view data(chunk.data(), got);
        for (;;) {
            const auto newline = data.find('\n');
            const std::string_view piece = data.substr(0, newline);
            if (!overlong) {
                if (line.size() + piece.size() > kMaxLineBytes) {
                    overlong = true;
                    line.clear();
                } else {
                    line.append(piece);
                }
            }
            if (newline == std::string_view::npos) break;
            if (!overlong) acceptLine(line);
            line.clear();
            overlong = false;
            data.remove_prefix(newline + 1);
        }
    }
    if (!overlong && !line.empty()) acceptLine(line);
    return accepted;
}

long long DetectionEngine::loadSignatureDirectory(const std::string& path) {
    long long total = 0;
    DirectoryWalk walk;
    walk.onFile = [&](const std::string& file, const std::string& name) {
        if (isSignatureFileName(name)) total += static_cast<long long>(loadSignatureFile(file));
    };
    walkDirectoryTree(path, walk);
    return total;
}

}  // namespace quillvarden
