// Runs the end-to-end suite under a throw-away Wine prefix when the program under
// test is the Windows build, so that no test touches the user's own prefix.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/e2e/app_process.h"

namespace quillvarden::e2e {
namespace {

namespace fs = std::filesystem;

class WinePrefixEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!runsUnderWine()) return;
        ::setenv("WINEDEBUG", "-all", 0);
        if (std::getenv("WINEPREFIX")) return;  // the caller made one already
        char pattern[] = "/tmp/qv-wine-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        ASSERT_NE(made, nullptr);
        prefix_ = made;
        ::setenv("WINEPREFIX", made, 1);
        ASSERT_EQ(std::system("wineboot -i >/dev/null 2>&1"), 0);
    }

    void TearDown() override {
        if (prefix_.empty()) return;
        std::system("wineserver -k >/dev/null 2>&1");
        std::error_code ignored;
        fs::remove_all(prefix_, ignored);
    }

private:
    std::string prefix_;
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new WinePrefixEnvironment);

}  // namespace
}  // namespace quillvarden::e2e
