#include "engine/signature_line.h"

#include "platform/ascii_text.h"

namespace quillvarden {

std::optional<SignatureLine> parseSignatureLine(std::string_view line) {
    line = trimChars(line, " \t\r\n");
    if (line.empty() || line.front() == '#' || line.front() == ';') return std::nullopt;

    std::string_view hash;
    std::string_view name;
    const auto firstColon = line.find(':');
    if (firstColon != std::string_view::npos) {
        hash = line.substr(0, firstColon);
        const auto lastColon = line.rfind(':');
        // A single colon: what follows it is a size or the like, not a name.
        if (lastColon != firstColon) name = line.substr(lastColon + 1);
    } else {
        const auto end = line.find_first_of(" \t,");
        hash = line.substr(0, end);
        if (end != std::string_view::npos) {
            const auto start = line.find_first_not_of(" \t,", end);
            if (start != std::string_view::npos) name = line.substr(start);
        }
    }

    SignatureLine parsed{toLowerAscii(hash), std::string(name)};
    if (parsed.hash.empty()) return std::nullopt;
    for (const char c : parsed.hash) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::nullopt;
    }
    if (parsed.name.empty()) parsed.name = "Malware.HashSig";
    return parsed;
}

}  // namespace quillvarden
