#include "platform/file_digest.h"

#include <openssl/evp.h>

#include <memory>

#include "platform/file_io.h"

namespace quillvarden::platform {

std::vector<unsigned char> digestFile(const std::string& path, DigestAlgorithm algorithm) {
    const EVP_MD* md = algorithm == DigestAlgorithm::Sha256 ? EVP_sha256()
                       : algorithm == DigestAlgorithm::Md5  ? EVP_md5()
                                                            : EVP_sha1();
    FileReader reader;
    if (!reader.open(path)) return {};
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), md, nullptr) != 1) return {};
    std::vector<unsigned char> chunk(64 * 1024);
    for (;;) {
        const std::size_t got = reader.read(chunk.data(), chunk.size());
        if (got == 0) break;
        if (EVP_DigestUpdate(context.get(), chunk.data(), got) != 1) return {};
    }
    std::vector<unsigned char> digest(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1) return {};
    digest.resize(length);
    return digest;
}

}  // namespace quillvarden::platform
