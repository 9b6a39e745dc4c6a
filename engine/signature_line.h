// One line of a hash-signature file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillvarden {

struct SignatureLine {
    std::string hash;  // lower-case hex, not yet checked for a digest length
    std::string name;  // never empty: "Malware.HashSig" when the line names nothing
};

// Accepted forms (H a hex digest, N a name, S text without a colon):
//   H:S:N -> N        H:S or H: -> "Malware.HashSig"
//   H<blanks or commas>N -> N     H -> "Malware.HashSig"
// Blank lines, comments (# or ;) and fields that are not hex yield nothing.
std::optional<SignatureLine> parseSignatureLine(std::string_view line);

}  // namespace quillvarden
