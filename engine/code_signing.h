// A file's code-signing verdict as the scan pipeline records it.
#pragma once

#include <functional>
#include <string>

#include "platform/code_signing.h"

namespace quillvarden {

using SignatureStatus = platform::SignatureStatus;
using platform::getSignerName;
using platform::verifySignature;

// "trusted", "untrusted", and "unsigned" for anything else.
inline const char* signatureStatusText(SignatureStatus status) {
    switch (status) {
        case SignatureStatus::Trusted: return "trusted";
        case SignatureStatus::Untrusted: return "untrusted";
        default: return "unsigned";
    }
}

struct SigningVerdict {
    SignatureStatus status = SignatureStatus::Unsigned;
    std::string signer;  // empty when unsigned
};

// The system's verdict: the status, and the signer when the file is signed at all.
inline SigningVerdict systemSigningVerdict(const std::string& path) {
    SigningVerdict verdict;
    verdict.status = verifySignature(path);
    if (verdict.status != SignatureStatus::Unsigned) verdict.signer = getSignerName(path);
    return verdict;
}

}  // namespace quillvarden
