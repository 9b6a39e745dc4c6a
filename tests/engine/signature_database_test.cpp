#include <gtest/gtest.h>

#include <string>

#include "engine/detection_engine.h"
#include "engine/signature_line.h"
#include "tests/support/temp_dir.h"

namespace quillvarden {
namespace {

const std::string kMd5(32, 'a');
const std::string kSha1(40, 'b');
const std::string kSha256(64, 'c');

TEST(SignatureLine, Forms) {
    struct Case {
        std::string line;
        bool accepted;
        std::string hash, name;
    };
    const Case cases[] = {
        {kMd5 + ":68:Trojan.X", true, kMd5, "Trojan.X"},
        {kSha256 + ":anything at all", true, kSha256, "Malware.HashSig"},
        {kSha256 + ":", true, kSha256, "Malware.HashSig"},
        {kSha256 + ":12:Name:with:colons", true, kSha256, "colons"},
        {kSha256 + ":12: Leading.Blank", true, kSha256, " Leading.Blank"},
        {kSha256 + "  Two Words", true, kSha256, "Two Words"},
        {kSha256 + " , Name", true, kSha256, "Name"},
        {kSha256 + "\tTabbed\t", true, kSha256, "Tabbed"},
        {kSha256 + ",,,", true, kSha256, "Malware.HashSig"},
        {kSha256, true, kSha256, "Malware.HashSig"},
        {"  \t" + std::string(64, 'C') + " Upper\r\n", true, kSha256, "Upper"},
        {std::string(63, 'a') + "g Name", false, "", ""},
        {"# " + kSha256, false, "", ""},
        {"  ;" + kSha256, false, "", ""},
        {"   \r\n", false, "", ""},
        {":Name", false, "", ""},
        {"xyz Name", false, "", ""},
    };
    for (const Case& c : cases) {
        const auto parsed = parseSignatureLine(c.line);
        ASSERT_EQ(parsed.has_value(), c.accepted) << c.line;
        if (!parsed) continue;
        EXPECT_EQ(parsed->hash, c.hash) << c.line;
        EXPECT_EQ(parsed->name, c.name) << c.line;
    }
}

class SignatureFileTest : public ::testing::Test {
protected:
    DetectionEngine engine;
    test::TempDir dir;
};

TEST_F(SignatureFileTest, LengthChoosesTheTableAndLaterLinesWin) {
    const auto file = dir.write("sigs.hdb",
                                kMd5 + ":68:Md5.Name\r\n" + kSha1 + " Sha1.Name\n" + kSha256 + ":1:First\n" +
                                    std::string(56, 'd') + " TooShort\n" + kSha256 + ":1:Second\n" +
                                    "# comment\n\n" + std::string(64, 'e'));  // last line without newline
    EXPECT_EQ(engine.loadSignatureFile(test::TempDir::toUtf8(file)), 5u);
    EXPECT_EQ(engine.md5Table.at(kMd5), "Md5.Name");
    EXPECT_EQ(engine.sha1Table.at(kSha1), "Sha1.Name");
    EXPECT_EQ(engine.sha256Table.at(kSha256), "Second");
    EXPECT_EQ(engine.sha256Table.at(std::string(64, 'e')), "Malware.HashSig");
    EXPECT_EQ(engine.sha256Table.size(), 6u + 2u);  // the built-ins stay
}

TEST_F(SignatureFileTest, OverlongLinesAreSkippedWithoutLosingTheNext) {
    const std::string huge(200 * 1024, 'f');
    const auto file = dir.write("big.txt", huge + "\n" + kSha256 + " After\n");
    EXPECT_EQ(engine.loadSignatureFile(test::TempDir::toUtf8(file)), 1u);
    EXPECT_EQ(engine.sha256Table.at(kSha256), "After");
}

TEST_F(SignatureFileTest, UnreadableFileCountsNothing) {
    EXPECT_EQ(engine.loadSignatureFile(dir.str() + "/missing.hdb"), 0u);
    EXPECT_EQ(engine.loadSignatureFile(dir.str()), 0u) << "a directory is not a signature file";
}

TEST_F(SignatureFileTest, DirectoryTreeLoadsOnlySignatureExtensions) {
    const std::string line = kSha256 + " X\n";
    const char* loaded[] = {"a.hdb", "b.HSB", "deep/c.txt", "deep/er/d.md5", "e.sha1", "f.sha256",
                            "g.hashes", "h.tar.HDB"};
    const char* ignored[] = {"noext", "i.hdb.bak", "j.yar", "k.", "txt"};
    for (const char* name : loaded) dir.write(name, line);
    for (const char* name : ignored) dir.write(name, line);
    EXPECT_EQ(engine.loadSignatureDirectory(dir.str()), 8);
    EXPECT_EQ(engine.loadSignatureDirectory(dir.str() + "/missing"), 0);
}

TEST(DetectionEngineBuiltins, SeedingReplacesSha256AndRulesOnly) {
    DetectionEngine engine;
    EXPECT_EQ(engine.sha256Table.size(), 6u);
    EXPECT_EQ(engine.sha256Table.at("275a021bbfb6489e54d471899f7db9d1663fc695ec2fe2a2c4538aabf651fd0f"),
              "EICAR-Test-File");
    EXPECT_EQ(engine.sha256Table.at("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"),
              "Empty-File-Hash");
    engine.sha256Table[kSha256] = "Loaded";
    engine.md5Table[kMd5] = "Kept";
    engine.loadBuiltins();
    EXPECT_EQ(engine.sha256Table.size(), 6u);
    EXPECT_EQ(engine.md5Table.size(), 1u);
}

}  // namespace
}  // namespace quillvarden
