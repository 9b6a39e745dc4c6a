#include "engine/file_hash.h"

#include "engine/hex_text.h"
#include "platform/file_digest.h"

namespace quillvarden {

std::string hashFile(const std::string& path, const std::string& algorithm, std::size_t digestLength) {
    platform::DigestAlgorithm kind;
    if (algorithm == "SHA256") {
        kind = platform::DigestAlgorithm::Sha256;
    } else if (algorithm == "MD5") {
        kind = platform::DigestAlgorithm::Md5;
    } else if (algorithm == "SHA1") {
        kind = platform::DigestAlgorithm::Sha1;
    } else {
        return {};
    }
    const std::vector<unsigned char> digest = platform::digestFile(path, kind);
    if (digest.empty() || digest.size() != digestLength) return {};
    return toLowerHex(digest);
}

}  // namespace quillvarden
