#include "platform/file_digest.h"

#include <windows.h>
#include <bcrypt.h>

#include "platform/file_io.h"

namespace quillvarden::platform {
namespace {

constexpr bool succeeded(NTSTATUS status) { return status >= 0; }

const wchar_t* algorithmId(DigestAlgorithm algorithm) {
    switch (algorithm) {
        case DigestAlgorithm::Sha256: return BCRYPT_SHA256_ALGORITHM;
        case DigestAlgorithm::Md5: return BCRYPT_MD5_ALGORITHM;
        default: return BCRYPT_SHA1_ALGORITHM;
    }
}

}  // namespace

std::vector<unsigned char> digestFile(const std::string& path, DigestAlgorithm algorithm) {
    BCRYPT_ALG_HANDLE provider = nullptr;
    if (!succeeded(BCryptOpenAlgorithmProvider(&provider, algorithmId(algorithm), nullptr, 0))) return {};

    std::vector<unsigned char> digest;
    DWORD objectLength = 0;
    DWORD digestLength = 0;
    ULONG got = 0;
    if (succeeded(BCryptGetProperty(provider, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectLength),
                                    sizeof objectLength, &got, 0)) &&
        succeeded(BCryptGetProperty(provider, BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&digestLength),
                                    sizeof digestLength, &got, 0))) {
        std::vector<unsigned char> hashObject(objectLength, 0);
        BCRYPT_HASH_HANDLE hash = nullptr;
        if (succeeded(BCryptCreateHash(provider, &hash, hashObject.data(), objectLength, nullptr, 0, 0))) {
            FileReader reader;
            if (reader.open(path)) {
                bool ok = true;
                std::vector<unsigned char> chunk(64 * 1024);
                for (;;) {
                    const std::size_t read = reader.read(chunk.data(), chunk.size());
                    if (read == 0) break;
                    if (!succeeded(BCryptHashData(hash, chunk.data(), static_cast<ULONG>(read), 0))) {
                        ok = false;
                        break;
                    }
                }
                std::vector<unsigned char> result(digestLength);
                if (ok && succeeded(BCryptFinishHash(hash, result.data(), digestLength, 0))) {
                    digest = std::move(result);
                }
            }
            BCryptDestroyHash(hash);
        }
    }
    BCryptCloseAlgorithmProvider(provider, 0);
    return digest;
}

}  // namespace quillvarden::platform
