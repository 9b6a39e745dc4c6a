#include "platform/win32/owner_only_security.h"

#include <sddl.h>

#include <string>
#include <vector>

namespace quillvarden::platform::win32 {
namespace {

// The string form of the process token's user SID; empty when it cannot be read.
std::wstring currentUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    DWORD needed = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &needed);
    std::vector<unsigned char> buffer(needed);
    std::wstring text;
    if (needed > 0 && GetTokenInformation(token, TokenUser, buffer.data(), needed, &needed)) {
        LPWSTR sid = nullptr;
        if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
            text = sid;
            LocalFree(sid);
        }
    }
    CloseHandle(token);
    return text;
}

}  // namespace

OwnerOnlySecurity::~OwnerOnlySecurity() {
    if (descriptor_) LocalFree(descriptor_);
}

SECURITY_ATTRIBUTES* OwnerOnlySecurity::attributes() {
    if (!descriptor_) {
        const std::wstring sid = currentUserSid();
        if (sid.empty()) return nullptr;
        // "P": protected, so the folder's inheritable entries do not widen it.
        const std::wstring sddl = L"D:P(A;;FA;;;" + sid + L")";
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor_,
                                                                  nullptr)) {
            descriptor_ = nullptr;
            return nullptr;
        }
    }
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_;
    attributes_.bInheritHandle = FALSE;
    return &attributes_;
}

}  // namespace quillvarden::platform::win32
