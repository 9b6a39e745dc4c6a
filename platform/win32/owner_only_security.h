// A security descriptor that lets the current user, and nobody else, open a new file:
// one access-allowed entry for the process token's user, protected from inheritance.
#pragma once

#include <windows.h>

namespace quillvarden::platform::win32 {

class OwnerOnlySecurity {
public:
    OwnerOnlySecurity() = default;
    ~OwnerOnlySecurity();
    OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
    OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;

    // The attributes to create the file with; null when the descriptor could not be made.
    SECURITY_ATTRIBUTES* attributes();

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

}  // namespace quillvarden::platform::win32
