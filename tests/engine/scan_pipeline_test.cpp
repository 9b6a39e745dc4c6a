#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/detection_engine.h"
#include "engine/file_hash.h"
#include "tests/support/engine_samples.h"
#include "tests/support/temp_dir.h"

namespace quillvarden {
namespace {

using test::kEicar;

class ScanPipelineTest : public ::testing::Test {
protected:
    ScanPipelineTest() { engine.trustListFile = test::TempDir::toUtf8(dir.path() / "trustlist.txt"); }
    std::string write(const std::string& name, const std::string& content) {
        return test::TempDir::toUtf8(dir.write(name, content));
    }

    test::TempDir dir;
    DetectionEngine engine;
};

TEST_F(ScanPipelineTest, EicarFileYieldsTestAndDigestRecords) {
    const std::string path = write("eicar.com", kEicar);
    const auto records = engine.scanFile(path);
    ASSERT_EQ(records.size(), 2u);

    const ThreatInfo& eicar = records[0];
    EXPECT_EQ(eicar.type, ThreatType::Eicar);
    EXPECT_EQ(eicar.severity, Severity::Low);
    EXPECT_EQ(eicar.ruleName, "EICAR-Test-File");
    EXPECT_EQ(eicar.description, "EICAR 标准防病毒测试文件");
    EXPECT_EQ(eicar.filePath, path);
    EXPECT_EQ(eicar.fileName, "eicar.com");
    EXPECT_EQ(eicar.fileSize, 68u);
    EXPECT_EQ(eicar.sha256, "275a021bbfb6489e54d471899f7db9d1663fc695ec2fe2a2c4538aabf651fd0f");
    EXPECT_GT(eicar.detectedAtMs, 1600000000000);

    const ThreatInfo& hash = records[1];
    EXPECT_EQ(hash.type, ThreatType::HashMatch);
    EXPECT_EQ(hash.severity, Severity::Critical);
    EXPECT_EQ(hash.ruleName, "EICAR-Test-File");
    EXPECT_EQ(hash.description, "文件 SHA256 命中恶意软件哈希黑名单");
    EXPECT_EQ(hash.sha256, eicar.sha256);
}

TEST_F(ScanPipelineTest, EicarCountsOnlyWhereItEndsWithinTheFirst128Bytes) {
    struct Case {
        std::size_t offset;
        std::size_t trailing;
        bool found;
    };
    const Case cases[] = {{0, 0, true}, {60, 0, true}, {60, 4000, true}, {61, 0, false}, {61, 4000, false}};
    for (const Case& c : cases) {
        const std::string path = write("at" + std::to_string(c.offset) + "-" + std::to_string(c.trailing) + ".exe",
                                       std::string(c.offset, 'A') + kEicar + std::string(c.trailing, 'B'));
        const auto records = engine.scanFile(path);
        const bool found = !records.empty() && records[0].type == ThreatType::Eicar;
        EXPECT_EQ(found, c.found) << "offset " << c.offset << " trailing " << c.trailing;
    }
}

TEST_F(ScanPipelineTest, FilteredFilesYieldNothing) {
    const std::string trustedDir = test::TempDir::toUtf8(dir.makeDir("trusted"));
    engine.addTrustedDir(trustedDir);
    const std::string paths[] = {
        write("eicar.txt", kEicar),              // not a scannable extension
        write("trusted/eicar.com", kEicar),      // in the trust zone
        write("empty.exe", ""),                  // nothing to read: the empty-input digest never fires
        write("app.EBWebView/x.js", kEicar),     // a web view's data
        dir.str() + "/missing.exe",
    };
    for (const std::string& path : paths) EXPECT_TRUE(engine.scanFile(path).empty()) << path;
}

TEST_F(ScanPipelineTest, DigestTablesInPrecedenceOrder) {
    const std::string content = "sample payload";
    const std::string path = write("sample.dll", content);
    const std::string sha256 = hashFile(path, "SHA256", 32);
    const std::string md5 = hashFile(path, "MD5", 16);
    const std::string sha1 = hashFile(path, "SHA1", 20);
    struct Case {
        bool inSha256, inMd5, inSha1;
        std::string name, kind;
    };
    const Case cases[] = {
        {true, true, true, "S256", "SHA256"}, {false, true, true, "M5", "MD5"},
        {false, false, true, "S1", "SHA1"},   {false, false, false, "", ""},
    };
    for (const Case& c : cases) {
        DetectionEngine fresh;
        fresh.trustListFile = engine.trustListFile;
        if (c.inSha256) fresh.sha256Table[sha256] = "S256";
        if (c.inMd5) fresh.md5Table[md5] = "M5";
        if (c.inSha1) fresh.sha1Table[sha1] = "S1";
        const auto records = fresh.scanFile(path);
        if (c.name.empty()) {
            EXPECT_TRUE(records.empty());
            continue;
        }
        ASSERT_EQ(records.size(), 1u) << c.kind;
        EXPECT_EQ(records[0].ruleName, c.name);
        EXPECT_EQ(records[0].description, "文件 " + c.kind + " 命中恶意软件哈希黑名单");
        EXPECT_EQ(records[0].sha256, sha256) << "the record always carries the SHA-256";
        EXPECT_EQ(records[0].fileSize, content.size());
    }
}

TEST_F(ScanPipelineTest, LargeFileIsDigestedWhole) {
    std::string content = kEicar + std::string(5000000 - kEicar.size(), 'q');
    const std::string path = write("large.exe", content);
    const std::string sha256 = hashFile(path, "SHA256", 32);
    engine.sha256Table[sha256] = "Large.Sample";
    const auto records = engine.scanFile(path);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].ruleName, "Large.Sample");
    EXPECT_EQ(records[1].fileSize, 5000000u);
}

TEST_F(ScanPipelineTest, OwnFolderIsNeverScanned) {
    // The test binary is this program's executable here: its folder is "own".
    const std::filesystem::path own = std::filesystem::u8path(test::ownFolderSample());
    { std::ofstream(own, std::ios::binary) << kEicar; }
    const std::string outside = write("eicar.com", kEicar);
    EXPECT_TRUE(engine.scanFileGuarded(test::ownFolderSample()).empty());
    EXPECT_FALSE(engine.scanFileGuarded(outside).empty());
    std::filesystem::remove(own);
}

}  // namespace
}  // namespace quillvarden
