#include <gtest/gtest.h>

#include <string>

#include "engine/file_hash.h"
#include "engine/scan_pipeline.h"
#include "tests/support/temp_dir.h"

namespace quillvarden {
namespace {

TEST(FileHash, DigestsOfKnownContent) {
    test::TempDir dir;
    const std::string abc = test::TempDir::toUtf8(dir.write("abc.bin", "abc"));
    const std::string empty = test::TempDir::toUtf8(dir.write("empty.bin", ""));
    struct Case {
        std::string path, algorithm;
        std::size_t length;
        std::string digest;
    };
    const Case cases[] = {
        {abc, "SHA256", 32, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {abc, "MD5", 16, "900150983cd24fb0d6963f7d28e17f72"},
        {abc, "SHA1", 20, "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {empty, "SHA256", 32, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {abc, "SHA512", 64, ""},                   // not one of ours
        {abc, "SHA256", 20, ""},                   // length does not fit the algorithm
        {dir.str() + "/missing", "SHA256", 32, ""},
        {dir.str(), "SHA256", 32, ""},             // a directory
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hashFile(c.path, c.algorithm, c.length), c.digest) << c.path << " " << c.algorithm;
    }
}

TEST(FileHash, WholeFileIsDigestedButOnlyTheHeadIsRead) {
    test::TempDir dir;
    const std::string path = test::TempDir::toUtf8(dir.write("big.exe", std::string(5000000, 'q')));
    EXPECT_EQ(hashFile(path, "SHA256", 32), "1673241aa1eacf9a651919587509cb8c49ce5c2b39809a597b586fc44ee23507");
    EXPECT_EQ(readFileHead(path).size(), 2u * 1024 * 1024);
    EXPECT_EQ(readFileHead(test::TempDir::toUtf8(dir.write("small.exe", "xyz"))).size(), 3u);
    EXPECT_TRUE(readFileHead(test::TempDir::toUtf8(dir.write("zero.exe", ""))).empty());
}

}  // namespace
}  // namespace quillvarden
