// Authenticode on Linux: the PE image's certificate table checked with OpenSSL, as
// the Windows trust provider would check an embedded signature (no catalogs).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/code_signing.h"

namespace quillvarden::platform::authenticode {

// Where the signature lives in a PE file.
struct SignatureLayout {
    std::uint64_t checksumOffset = 0;   // the optional header's CheckSum field
    std::uint64_t directoryOffset = 0;  // the security data directory entry
    std::uint64_t tableOffset = 0;      // the attribute certificate table
    std::uint64_t tableSize = 0;
};

// The layout from the image's first bytes and its size; nothing when the file is not
// a PE image or carries no certificate table.
std::optional<SignatureLayout> locateSignature(const std::vector<std::uint8_t>& head, std::uint64_t fileSize);

// Verifies against the CA certificates in caFile (PEM), or the system's trust store
// when caFile is empty.
SignatureStatus verify(const std::string& path, const std::string& caFile);

// The simple display name (CN, else OU, O or e-mail) of the first signer's certificate.
std::string signerName(const std::string& path);

}  // namespace quillvarden::platform::authenticode
