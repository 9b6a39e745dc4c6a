#include "platform/code_signing.h"

#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>
#include <mscat.h>

#include <vector>

#include "platform/win32/wide_string.h"

namespace quillvarden::platform {
namespace {

// WTD_SAFER_FLAG | WTD_CACHE_ONLY_URL_RETRIEVAL: no network fetches while verifying.
constexpr DWORD kProviderFlags = 0x1100;

constexpr LONG kNoSignature = static_cast<LONG>(0x800B0100);        // TRUST_E_NOSIGNATURE
constexpr LONG kSubjectFormUnknown = static_cast<LONG>(0x800B0003);  // TRUST_E_SUBJECT_FORM_UNKNOWN
constexpr LONG kProviderUnknown = static_cast<LONG>(0x800B0001);     // TRUST_E_PROVIDER_UNKNOWN

constexpr LONG kUntrustedRoot = static_cast<LONG>(0x800B0109);  // CERT_E_UNTRUSTEDROOT

// Chain faults that no successful Authenticode verdict can carry.
constexpr DWORD kBrokenChain = CERT_TRUST_IS_REVOKED | CERT_TRUST_IS_NOT_SIGNATURE_VALID |
                               CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_CYCLIC | CERT_TRUST_IS_PARTIAL_CHAIN;

// Results that mean the file could not be read, not that its signature failed.
bool isUnreadable(LONG result) {
    const auto code = static_cast<DWORD>(result) & 0xFFFF;
    const bool win32 = result > 0 || (static_cast<DWORD>(result) & 0xFFFF0000) == 0x80070000;
    const bool readError = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
                           code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
    return (win32 && readError) || result == static_cast<LONG>(0x80092003);  // CRYPT_E_FILE_ERROR
}

// A provider that reports success must have built the signer's chain up to a trusted
// root. Where the provider enforces that itself this changes nothing; it catches
// providers that report success for any well-formed signature.
bool signerChainIsSound(HANDLE state) {
    CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(state);
    CRYPT_PROVIDER_SGNR* signer = provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    return signer && signer->pChainContext && (signer->pChainContext->TrustStatus.dwErrorStatus & kBrokenChain) == 0;
}

// Verifies, then releases the provider's state in a second call.
LONG verifyTrust(WINTRUST_DATA& data) {
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwProvFlags = kProviderFlags;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    LONG result = WinVerifyTrust(nullptr, &action, &data);
    if (result == 0 && !signerChainIsSound(data.hWVTStateData)) result = kUntrustedRoot;
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(nullptr, &action, &data);
    return result;
}

// The "2" catalog functions exist on newer systems only; look them up at run time.
using AcquireContext2 = BOOL(WINAPI*)(HCATADMIN*, const GUID*, PCWSTR, PCCERT_STRONG_SIGN_PARA, DWORD);
using CalcHash2 = BOOL(WINAPI*)(HCATADMIN, HANDLE, DWORD*, BYTE*, DWORD);

template <typename Function>
Function wintrustFunction(const char* name) {
    HMODULE module = GetModuleHandleW(L"wintrust.dll");
    if (!module) module = LoadLibraryW(L"wintrust.dll");
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

std::vector<BYTE> catalogHash(HCATADMIN admin, HANDLE file) {
    std::vector<BYTE> hash;
    DWORD size = 0;
    if (const auto calc2 = wintrustFunction<CalcHash2>("CryptCATAdminCalcHashFromFileHandle2")) {
        if (calc2(admin, file, &size, nullptr, 0) && size > 0) {
            hash.resize(size);
            if (calc2(admin, file, &size, hash.data(), 0)) return hash;
        }
    }
    size = 0;
    hash.clear();
    if (CryptCATAdminCalcHashFromFileHandle(file, &size, nullptr, 0) && size > 0) {
        hash.resize(size);
        if (CryptCATAdminCalcHashFromFileHandle(file, &size, hash.data(), 0)) return hash;
    }
    return {};
}

// 1: listed in a catalog that verifies; -1: listed, but it does not verify;
// 0: not listed, or no verdict could be reached.
int verifyCatalogSignature(HANDLE file, const std::wstring& path, const wchar_t* algorithm) {
    GUID subsystem = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    HCATADMIN admin = nullptr;
    bool acquired = false;
    if (algorithm) {
        if (const auto acquire2 = wintrustFunction<AcquireContext2>("CryptCATAdminAcquireContext2")) {
            acquired = acquire2(&admin, &subsystem, algorithm, nullptr, 0) != FALSE;
        }
    } else {
        acquired = CryptCATAdminAcquireContext(&admin, &subsystem, 0) != FALSE;
    }
    if (!acquired) return 0;

    std::vector<BYTE> hash = catalogHash(admin, file);
    if (hash.empty()) {
        CryptCATAdminReleaseContext(admin, 0);
        return 0;
    }
    HCATINFO catalog = CryptCATAdminEnumCatalogFromHash(admin, hash.data(), static_cast<DWORD>(hash.size()), 0, nullptr);
    if (!catalog) {
        CryptCATAdminReleaseContext(admin, 0);
        return 0;
    }

    int verdict = 0;
    CATALOG_INFO info{};
    info.cbStruct = sizeof info;
    if (CryptCATCatalogInfoFromContext(catalog, &info, 0)) {
        static const wchar_t* digits = L"0123456789ABCDEF";
        std::wstring tag;
        for (const BYTE b : hash) {
            tag.push_back(digits[b >> 4]);
            tag.push_back(digits[b & 0x0F]);
        }
        WINTRUST_CATALOG_INFO member{};
        member.cbStruct = sizeof member;
        member.dwCatalogVersion = 0;
        member.pcwszCatalogFilePath = info.wszCatalogFile;
        member.pcwszMemberTag = tag.c_str();
        member.pcwszMemberFilePath = path.c_str();
        member.hMemberFile = file;
        member.pbCalculatedFileHash = hash.data();
        member.cbCalculatedFileHash = static_cast<DWORD>(hash.size());
        WINTRUST_DATA data{};
        data.dwUnionChoice = WTD_CHOICE_CATALOG;
        data.pCatalog = &member;
        verdict = verifyTrust(data) == 0 ? 1 : -1;
    }
    CryptCATAdminReleaseCatalogContext(admin, catalog, 0);
    CryptCATAdminReleaseContext(admin, 0);
    return verdict;
}

}  // namespace

SignatureStatus verifySignature(const std::string& path) {
    if (path.empty()) return SignatureStatus::Unsigned;
    const std::wstring wide = win32::widen(path);
    WINTRUST_FILE_INFO fileInfo{};
    fileInfo.cbStruct = sizeof fileInfo;
    fileInfo.pcwszFilePath = wide.c_str();
    WINTRUST_DATA data{};
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    const LONG result = verifyTrust(data);
    if (result == 0) return SignatureStatus::Trusted;
    if (result != kNoSignature && result != kSubjectFormUnknown && result != kProviderUnknown &&
        !isUnreadable(result)) {
        return SignatureStatus::Untrusted;  // a signature that does not verify
    }

    // No embedded signature: the system's catalogs may still vouch for the file. An
    // unreadable file ends here as unsigned.
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return SignatureStatus::Unsigned;
    int catalog = verifyCatalogSignature(file, wide, L"SHA256");
    if (catalog == 0) catalog = verifyCatalogSignature(file, wide, nullptr);
    CloseHandle(file);
    return catalog == 1 ? SignatureStatus::Trusted : catalog == -1 ? SignatureStatus::Untrusted : SignatureStatus::Unsigned;
}

std::string getSignerName(const std::string& path) {
    if (path.empty()) return {};
    const std::wstring wide = win32::widen(path);
    HCERTSTORE store = nullptr;
    HCRYPTMSG message = nullptr;
    DWORD encoding = 0, contentType = 0, formatType = 0;
    if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, wide.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                          CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, &contentType, &formatType, &store, &message,
                          nullptr)) {
        return {};
    }
    std::string name;
    DWORD size = 0;
    if (CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size) && size > 0) {
        std::vector<BYTE> buffer(size);
        if (CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, buffer.data(), &size)) {
            const auto* signer = reinterpret_cast<const CMSG_SIGNER_INFO*>(buffer.data());
            CERT_INFO certInfo{};
            certInfo.Issuer = signer->Issuer;
            certInfo.SerialNumber = signer->SerialNumber;
            PCCERT_CONTEXT certificate =
                CertGetSubjectCertificateFromStore(store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, &certInfo);
            if (certificate) {
                const DWORD length = CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
                if (length > 1) {
                    std::wstring text(length, L'\0');
                    CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, text.data(), length);
                    text.resize(length - 1);  // the terminator
                    name = win32::narrow(text);
                }
                CertFreeCertificateContext(certificate);
            }
        }
    }
    CryptMsgClose(message);
    CertCloseStore(store, 0);
    return name;
}

}  // namespace quillvarden::platform
