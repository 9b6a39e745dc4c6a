// Files written for the current user alone (the API token) must never be readable by
// anyone else, not even for a moment, and must replace what was there in one step.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/file_io.h"
#include "platform/text_encoding.h"
#include "tests/support/temp_dir.h"
#include "tests/support/under_wine.h"

#ifdef _WIN32
#include <windows.h>
#include <aclapi.h>

#include "platform/win32/owner_only_security.h"
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillvarden::platform {
namespace {

#ifdef _WIN32
// The DACL must be protected (nothing inherited from the folder) and grant one entry,
// to the process token's user.
void expectOwnerOnlyDescriptor(PSECURITY_DESCRIPTOR descriptor) {
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
    ASSERT_TRUE(present);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
    ASSERT_NE(dacl, nullptr);
    ASSERT_EQ(dacl->AceCount, 1);
    void* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, 0, &ace));
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);

    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    unsigned char buffer[512];
    DWORD needed = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &needed));
    CloseHandle(token);
    EXPECT_TRUE(EqualSid(&allowed->SidStart, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid));
}

void expectOwnerOnly(const std::string& path) {
    // What the file is created with, on any system.
    win32::OwnerOnlySecurity security;
    SECURITY_ATTRIBUTES* attributes = security.attributes();
    ASSERT_NE(attributes, nullptr);
    expectOwnerOnlyDescriptor(attributes->lpSecurityDescriptor);
    // Wine keeps no access lists on Linux files: it answers with one made from the mode bits.
    if (test::underWine()) return;
    // What the file system kept.
    const std::u16string wide = utf8ToUtf16(path);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetNamedSecurityInfoW(reinterpret_cast<LPCWSTR>(wide.c_str()), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr, &descriptor),
              ERROR_SUCCESS);
    expectOwnerOnlyDescriptor(descriptor);
    LocalFree(descriptor);
}
#else
void expectOwnerOnly(const std::string& path) {
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(info.st_uid, ::geteuid());
}
#endif

TEST(OwnerOnlyFile, ReplacesAWidelyReadableFileWithAPrivateOne) {
    test::TempDir dir;
    const std::string path = test::TempDir::toUtf8(dir.write("api-token", "old token, readable by all"));
#ifndef _WIN32
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
#endif
    ASSERT_TRUE(replaceFileContent(path, "new", FileAccess::OwnerOnly));
    EXPECT_EQ(test::readFile(path), "new");
    expectOwnerOnly(path);

    // Again, over its own private file: still private, no temporary left behind.
    ASSERT_TRUE(replaceFileContent(path, "newer", FileAccess::OwnerOnly));
    EXPECT_EQ(test::readFile(path), "newer");
    expectOwnerOnly(path);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(OwnerOnlyFile, FailsWithoutTouchingAnythingWhereItCannotWrite) {
    test::TempDir dir;
    EXPECT_FALSE(replaceFileContent(dir.str() + "/no/such/folder/api-token", "x", FileAccess::OwnerOnly));
}

}  // namespace
}  // namespace quillvarden::platform
