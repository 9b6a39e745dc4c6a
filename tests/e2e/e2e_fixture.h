// One running program shared by the tests of a suite: starting it under Wine takes
// seconds, and the port is fixed, so programs never run side by side.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "tests/e2e/app_process.h"

namespace quillvarden::e2e {

class TempRoot {
public:
    TempRoot() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("qv-e2e-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TempRoot() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

class RunningApp : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_FALSE(portInUse()) << "port 8910 is taken by another program";
        root_ = std::make_unique<TempRoot>();
        app_ = std::make_unique<AppProcess>(root_->path());
        ASSERT_TRUE(app_->waitUntilServing()) << app_->standardError();
    }
    static void TearDownTestSuite() {
        app_.reset();
        root_.reset();
    }
    void SetUp() override {
        if (!app_ || !app_->waitForExit(std::chrono::seconds(0)).has_value()) return;
        GTEST_FAIL() << "the program has exited: " << app_->standardError();
    }

    static inline std::unique_ptr<TempRoot> root_;
    static inline std::unique_ptr<AppProcess> app_;
};

}  // namespace quillvarden::e2e
