#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/code_signing.h"
#include "tests/support/fixtures.h"
#include "tests/support/temp_dir.h"

#ifndef _WIN32
#include "platform/linux/authenticode.h"
#endif

namespace quillvarden::platform {
namespace {

using test::fixturePath;

TEST(CodeSigning, StatusAndSigner) {
    test::TempDir dir;
    struct Case {
        std::string path;
        SignatureStatus status;
        std::string signer;
    };
    const std::vector<Case> cases = {
        {fixturePath("unsigned.exe"), SignatureStatus::Unsigned, ""},
        {fixturePath("signed.exe"), SignatureStatus::Untrusted, "Quillvarden Test Signer"},
        {fixturePath("tampered.exe"), SignatureStatus::Untrusted, "Quillvarden Test Signer"},
        {test::TempDir::toUtf8(dir.write("script.ps1", "Write-Host hi")), SignatureStatus::Unsigned, ""},
        {dir.str() + "/missing.exe", SignatureStatus::Unsigned, ""},
        {"", SignatureStatus::Unsigned, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(verifySignature(c.path), c.status) << c.path;
        EXPECT_EQ(getSignerName(c.path), c.signer) << c.path;
    }
}

#ifndef _WIN32
TEST(Authenticode, TrustedOnlyWithItsRootAndUntouched) {
    const std::string ca = fixturePath("ca.pem");
    EXPECT_EQ(authenticode::verify(fixturePath("signed.exe"), ca), SignatureStatus::Trusted);
    EXPECT_EQ(authenticode::verify(fixturePath("tampered.exe"), ca), SignatureStatus::Untrusted);
    EXPECT_EQ(authenticode::verify(fixturePath("unsigned.exe"), ca), SignatureStatus::Unsigned);
}

TEST(Authenticode, HostileHeadersAreNotSignatures) {
    std::vector<std::uint8_t> head(512, 0);
    head[0] = 'M';
    head[1] = 'Z';
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) head[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put32(60, 0x80);
    head[0x80] = 'P';
    head[0x81] = 'E';
    const std::size_t optional = 0x80 + 24;
    head[optional] = 0x0b;
    head[optional + 1] = 0x02;  // PE32+
    put32(optional + 108, 16);  // data directories
    const std::size_t security = optional + 112 + 32;
    put32(security, 0x1000);
    put32(security + 4, 0x100);
    EXPECT_TRUE(authenticode::locateSignature(head, 0x1100).has_value());

    struct Case {
        const char* what;
        std::uint64_t fileSize;
        std::size_t at;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"table past the end", 0x10ff, 0, 0},
        {"PE header past the head", 0x1100, 60, 0xFFFFFFF0},
        {"too few directories", 0x1100, optional + 108, 4},
        {"empty table", 0x1100, security + 4, 0},
        {"table over the headers", 0x1100, security, 0x10},
        {"size wraps around", 0x1100, security + 4, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bad = head;
        if (c.at) {
            for (int i = 0; i < 4; ++i) bad[c.at + i] = static_cast<std::uint8_t>(c.value >> (8 * i));
        }
        EXPECT_FALSE(authenticode::locateSignature(bad, c.fileSize).has_value()) << c.what;
    }
    EXPECT_FALSE(authenticode::locateSignature(std::vector<std::uint8_t>(head.begin(), head.begin() + 63), 63));
}
#endif

}  // namespace
}  // namespace quillvarden::platform
