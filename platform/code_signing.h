// Authenticode: does a file carry a valid code signature, and who signed it.
#pragma once

#include <string>

namespace quillvarden::platform {

enum class SignatureStatus : int {
    Unsigned = 0,   // no signature to check (or the file cannot be read)
    Trusted = 1,    // a signature that verifies up to a trusted root
    Untrusted = 2,  // a signature is present but does not verify
};

// Embedded signatures, and on Windows also the system's security catalogs.
// Revocation is not checked and nothing is fetched from the network.
SignatureStatus verifySignature(const std::string& path);

// The signer's simple display name from the embedded signature (whether or not it
// verifies); empty when there is none.
std::string getSignerName(const std::string& path);

}  // namespace quillvarden::platform
