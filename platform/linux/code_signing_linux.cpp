#include "platform/code_signing.h"

#include "platform/linux/authenticode.h"

namespace quillvarden::platform {

SignatureStatus verifySignature(const std::string& path) {
    if (path.empty()) return SignatureStatus::Unsigned;
    return authenticode::verify(path, "");
}

std::string getSignerName(const std::string& path) {
    return path.empty() ? std::string() : authenticode::signerName(path);
}

}  // namespace quillvarden::platform
