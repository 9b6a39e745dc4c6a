#include "platform/linux/authenticode.h"

#include <openssl/asn1.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/file_io.h"

namespace quillvarden::platform::authenticode {
namespace {

constexpr std::uint16_t kCertificateTypePkcsSignedData = 0x0002;
// Headers live at the start; an image whose PE header lies further out is not one
// this code reads.
constexpr std::size_t kHeadBytes = 64 * 1024;
constexpr std::uint64_t kMaxCertificateTable = 16 * 1024 * 1024;

constexpr const char* kSpcIndirectData = "1.3.6.1.4.1.311.2.1.4";
constexpr const char* kTimestampCountersignature = "1.2.840.113549.1.9.6";
constexpr const char* kRfc3161Timestamp = "1.3.6.1.4.1.311.3.3.1";

std::uint16_t u16(const std::vector<std::uint8_t>& b, std::uint64_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t u32(const std::vector<std::uint8_t>& b, std::uint64_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

struct Pkcs7Deleter {
    void operator()(PKCS7* p) const { PKCS7_free(p); }
};
using Pkcs7Ptr = std::unique_ptr<PKCS7, Pkcs7Deleter>;

// The first PKCS#7 signature of the certificate table, as DER.
std::optional<std::vector<std::uint8_t>> readSignature(const std::string& path, const SignatureLayout& layout) {
    FileReader reader;
    if (!reader.open(path)) return std::nullopt;
    std::vector<std::uint8_t> skip(64 * 1024);
    std::uint64_t position = 0;
    while (position < layout.tableOffset) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(skip.size(), layout.tableOffset - position));
        const std::size_t got = reader.read(skip.data(), want);
        if (got == 0) return std::nullopt;
        position += got;
    }
    std::vector<std::uint8_t> table(static_cast<std::size_t>(layout.tableSize));
    if (reader.readFully(table.data(), table.size()) != table.size()) return std::nullopt;
    // WIN_CERTIFICATE entries: length (with this 8-byte header), revision, type.
    std::uint64_t at = 0;
    while (at + 8 <= table.size()) {
        const std::uint64_t length = u32(table, at);
        const std::uint16_t type = u16(table, at + 6);
        if (length < 8 || length > table.size() - at) return std::nullopt;
        if (type == kCertificateTypePkcsSignedData) {
            return std::vector<std::uint8_t>(table.begin() + static_cast<std::ptrdiff_t>(at + 8),
                                             table.begin() + static_cast<std::ptrdiff_t>(at + length));
        }
        at += (length + 7) & ~std::uint64_t{7};  // entries are 8-byte aligned
    }
    return std::nullopt;
}

Pkcs7Ptr parseSignature(const std::vector<std::uint8_t>& der) {
    const unsigned char* p = der.data();
    Pkcs7Ptr p7(d2i_PKCS7(nullptr, &p, static_cast<long>(der.size())));
    if (!p7 || !PKCS7_type_is_signed(p7.get()) || !p7->d.sign || !p7->d.sign->contents) return nullptr;
    return p7;
}

bool hasObjectId(const ASN1_OBJECT* object, const char* oid) {
    char text[128];
    return object && OBJ_obj2txt(text, sizeof text, object, 1) > 0 && std::strcmp(text, oid) == 0;
}

// The DER of the signed content (SpcIndirectDataContent) without its outer tag and
// length: what the signature's message digest covers.
struct IndirectData {
    const unsigned char* body = nullptr;
    long bodyLength = 0;
    const EVP_MD* digest = nullptr;
    std::vector<std::uint8_t> imageDigest;
};

std::optional<IndirectData> readIndirectData(PKCS7* p7) {
    PKCS7* contents = p7->d.sign->contents;
    if (!hasObjectId(contents->type, kSpcIndirectData) || !contents->d.other ||
        contents->d.other->type != V_ASN1_SEQUENCE || !contents->d.other->value.sequence) {
        return std::nullopt;
    }
    const ASN1_STRING* sequence = contents->d.other->value.sequence;
    const unsigned char* p = ASN1_STRING_get0_data(sequence);
    const long total = ASN1_STRING_length(sequence);
    long length = 0;
    int tag = 0, cls = 0;
    const unsigned char* end = p + total;
    if (ASN1_get_object(&p, &length, &tag, &cls, total) & 0x80 || tag != V_ASN1_SEQUENCE) return std::nullopt;
    IndirectData data;
    data.body = p;
    data.bodyLength = length;
    if (p + length > end) return std::nullopt;

    // SpcAttributeTypeAndOptionalValue: skipped.
    const unsigned char* q = p;
    if (ASN1_get_object(&q, &length, &tag, &cls, end - q) & 0x80) return std::nullopt;
    q += length;
    // DigestInfo { AlgorithmIdentifier { OID, parameters }, OCTET STRING }
    if (q >= end || ASN1_get_object(&q, &length, &tag, &cls, end - q) & 0x80 || tag != V_ASN1_SEQUENCE) {
        return std::nullopt;
    }
    const unsigned char* digestInfoEnd = q + length;
    if (digestInfoEnd > end) return std::nullopt;
    long algorithmLength = 0;
    if (ASN1_get_object(&q, &algorithmLength, &tag, &cls, digestInfoEnd - q) & 0x80 || tag != V_ASN1_SEQUENCE) {
        return std::nullopt;
    }
    const unsigned char* algorithmEnd = q + algorithmLength;
    if (algorithmEnd > digestInfoEnd) return std::nullopt;
    ASN1_OBJECT* algorithm = d2i_ASN1_OBJECT(nullptr, &q, algorithmEnd - q);
    if (!algorithm) return std::nullopt;
    data.digest = EVP_get_digestbyobj(algorithm);
    ASN1_OBJECT_free(algorithm);
    q = algorithmEnd;
    ASN1_OCTET_STRING* value = d2i_ASN1_OCTET_STRING(nullptr, &q, digestInfoEnd - q);
    if (!value || !data.digest) {
        ASN1_OCTET_STRING_free(value);
        return std::nullopt;
    }
    data.imageDigest.assign(ASN1_STRING_get0_data(value), ASN1_STRING_get0_data(value) + ASN1_STRING_length(value));
    ASN1_OCTET_STRING_free(value);
    return data;
}

// The image digest: the whole file but the checksum, the security directory entry
// and the certificate table, padded to eight bytes as the signer did.
std::vector<std::uint8_t> imageDigest(const std::string& path, const SignatureLayout& layout, const EVP_MD* md) {
    FileReader reader;
    if (!reader.open(path)) return {};
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), md, nullptr) != 1) return {};
    const struct {
        std::uint64_t from, to;
    } skipped[] = {{layout.checksumOffset, layout.checksumOffset + 4},
                   {layout.directoryOffset, layout.directoryOffset + 8},
                   {layout.tableOffset, layout.tableOffset + layout.tableSize}};
    std::vector<std::uint8_t> chunk(64 * 1024);
    std::uint64_t position = 0;
    for (;;) {
        const std::size_t got = reader.read(chunk.data(), chunk.size());
        if (got == 0) break;
        std::uint64_t start = position;
        const std::uint64_t end = position + got;
        while (start < end) {
            std::uint64_t stop = end;
            bool inSkip = false;
            for (const auto& range : skipped) {
                if (start >= range.from && start < range.to) {
                    start = std::min(end, range.to);
                    inSkip = true;
                    break;
                }
                if (range.from > start && range.from < stop) stop = range.from;
            }
            if (inSkip) continue;
            EVP_DigestUpdate(context.get(), chunk.data() + (start - position), stop - start);
            start = stop;
        }
        position = end;
    }
    if (layout.tableOffset % 8 != 0) {
        const std::uint8_t zeros[8] = {};
        EVP_DigestUpdate(context.get(), zeros, 8 - layout.tableOffset % 8);
    }
    std::vector<std::uint8_t> digest(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1) return {};
    digest.resize(length);
    return digest;
}

// A timestamp lets a signature outlive its certificate, as on Windows.
bool isTimestamped(PKCS7* p7) {
    STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(p7);
    if (!signers || sk_PKCS7_SIGNER_INFO_num(signers) < 1) return false;
    PKCS7_SIGNER_INFO* signer = sk_PKCS7_SIGNER_INFO_value(signers, 0);
    for (int i = 0; i < sk_X509_ATTRIBUTE_num(signer->unauth_attr); ++i) {
        const ASN1_OBJECT* object = X509_ATTRIBUTE_get0_object(sk_X509_ATTRIBUTE_value(signer->unauth_attr, i));
        if (hasObjectId(object, kTimestampCountersignature) || hasObjectId(object, kRfc3161Timestamp)) return true;
    }
    return false;
}

bool chainAndSignatureVerify(PKCS7* p7, const IndirectData& data, const std::string& caFile) {
    std::unique_ptr<X509_STORE, decltype(&X509_STORE_free)> store(X509_STORE_new(), X509_STORE_free);
    if (!store) return false;
    const int loaded = caFile.empty() ? X509_STORE_set_default_paths(store.get())
                                      : X509_STORE_load_file(store.get(), caFile.c_str());
    if (loaded != 1) return false;
    X509_STORE_set_purpose(store.get(), X509_PURPOSE_ANY);  // code signing, not S/MIME
    if (isTimestamped(p7)) X509_STORE_set_flags(store.get(), X509_V_FLAG_NO_CHECK_TIME);
    std::unique_ptr<BIO, decltype(&BIO_free)> content(BIO_new_mem_buf(data.body, static_cast<int>(data.bodyLength)),
                                                      BIO_free);
    return content && PKCS7_verify(p7, nullptr, store.get(), content.get(), nullptr, 0) == 1;
}

std::string simpleDisplayName(X509* certificate) {
    X509_NAME* subject = X509_get_subject_name(certificate);
    for (const int nid : {NID_commonName, NID_organizationalUnitName, NID_organizationName, NID_pkcs9_emailAddress}) {
        const int index = X509_NAME_get_index_by_NID(subject, nid, -1);
        if (index < 0) continue;
        unsigned char* utf8 = nullptr;
        const int length = ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, index)));
        if (length <= 0) continue;
        std::string name(reinterpret_cast<const char*>(utf8), static_cast<std::size_t>(length));
        OPENSSL_free(utf8);
        return name;
    }
    return {};
}

std::optional<SignatureLayout> layoutOf(const std::string& path) {
    FileReader reader;
    if (!reader.open(path)) return std::nullopt;
    const std::optional<std::uint64_t> size = reader.size();
    if (!size) return std::nullopt;
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(*size, kHeadBytes)));
    head.resize(reader.readFully(head.data(), head.size()));
    return locateSignature(head, *size);
}

}  // namespace

std::optional<SignatureLayout> locateSignature(const std::vector<std::uint8_t>& head, std::uint64_t fileSize) {
    const std::uint64_t size = head.size();
    if (size < 64 || head[0] != 'M' || head[1] != 'Z') return std::nullopt;
    const std::uint64_t pe = u32(head, 60);
    if (pe > size || size - pe < 24 + 2 || std::memcmp(head.data() + pe, "PE\0\0", 4) != 0) return std::nullopt;
    const std::uint64_t optional = pe + 24;
    const std::uint16_t magic = u16(head, optional);
    const std::uint64_t countField = optional + (magic == 0x20b ? 108 : 92);
    const std::uint64_t directories = optional + (magic == 0x20b ? 112 : 96);
    if (magic != 0x10b && magic != 0x20b) return std::nullopt;
    if (countField + 4 > size || u32(head, countField) < 5) return std::nullopt;
    SignatureLayout layout;
    layout.checksumOffset = optional + 64;
    layout.directoryOffset = directories + 4 * 8;
    if (layout.directoryOffset + 8 > size) return std::nullopt;
    layout.tableOffset = u32(head, layout.directoryOffset);
    layout.tableSize = u32(head, layout.directoryOffset + 4);
    if (layout.tableOffset == 0 || layout.tableSize < 8 || layout.tableSize > kMaxCertificateTable) return std::nullopt;
    if (layout.tableOffset > fileSize || layout.tableSize > fileSize - layout.tableOffset) return std::nullopt;
    if (layout.tableOffset < layout.directoryOffset + 8) return std::nullopt;
    return layout;
}

SignatureStatus verify(const std::string& path, const std::string& caFile) {
    const std::optional<SignatureLayout> layout = layoutOf(path);
    if (!layout) return SignatureStatus::Unsigned;
    // From here on a signature is present; whatever fails makes it untrusted.
    const auto der = readSignature(path, *layout);
    if (!der) return SignatureStatus::Untrusted;
    const Pkcs7Ptr p7 = parseSignature(*der);
    if (!p7) return SignatureStatus::Untrusted;
    const std::optional<IndirectData> data = readIndirectData(p7.get());
    if (!data || imageDigest(path, *layout, data->digest) != data->imageDigest) return SignatureStatus::Untrusted;
    return chainAndSignatureVerify(p7.get(), *data, caFile) ? SignatureStatus::Trusted : SignatureStatus::Untrusted;
}

std::string signerName(const std::string& path) {
    const std::optional<SignatureLayout> layout = layoutOf(path);
    if (!layout) return {};
    const auto der = readSignature(path, *layout);
    if (!der) return {};
    const Pkcs7Ptr p7 = parseSignature(*der);
    if (!p7) return {};
    STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(p7.get());
    if (!signers || sk_PKCS7_SIGNER_INFO_num(signers) < 1) return {};
    const PKCS7_ISSUER_AND_SERIAL* id = sk_PKCS7_SIGNER_INFO_value(signers, 0)->issuer_and_serial;
    if (!id) return {};
    X509* certificate = X509_find_by_issuer_and_serial(p7->d.sign->cert, id->issuer, id->serial);
    return certificate ? simpleDisplayName(certificate) : std::string();
}

}  // namespace quillvarden::platform::authenticode
