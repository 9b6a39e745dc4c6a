// Starts the built program the way a user would, in a directory of its own, and
// watches it from outside: the native binary directly, quillvarden.exe under Wine.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <httplib.h>

namespace quillvarden::e2e {

inline constexpr int kPort = 8910;

// The program under test (QV_E2E_APP) and whether it runs under Wine.
std::filesystem::path appUnderTest();
bool runsUnderWine();

// A path as the program spells it: under Wine, Linux paths are on drive Z:.
std::string programPath(const std::filesystem::path& path);

class AppProcess {
public:
    // Copies the program, the web folder and tests/e2e/fixtures (its detection
    // libraries) into <root>/app and starts it there
    // (current directory <root>/app). Files to scan belong outside <root>/app: the
    // program never scans its own folder.
    // extraFiles: more files to put into <root>/app, as (source, path inside app).
    // withLlama: put the llama.cpp libraries beside it, as the build does.
    // headless: start it with "--headless" (the server alone); the desktop tests do not.
    explicit AppProcess(const std::filesystem::path& root, std::vector<std::string> args = {},
                        const std::vector<std::pair<std::filesystem::path, std::string>>& extraFiles = {},
                        bool withLlama = true, bool headless = true);
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    // Waits until the server answers and its API token file is there (then apiToken()
    // gives it); false if it exited or the time ran out.
    bool waitUntilServing(std::chrono::seconds timeout = std::chrono::seconds(120));
    // The exit code, or nothing if it still runs after the timeout.
    std::optional<int> waitForExit(std::chrono::seconds timeout);
    void signal(int signalNumber);
    void kill();

    // What it wrote so far, line ends as "\n".
    std::string standardOutput() const;
    std::string standardError() const;
    const std::filesystem::path& appDir() const { return appDir_; }

private:
    std::filesystem::path appDir_;
    int pid_ = -1;
    std::optional<int> exitCode_;
};

// The API token of the program that last started serving, read from its "api-token".
std::string apiToken();

// A client for the program's own address that sends the token, as its page would.
std::unique_ptr<httplib::Client> client();
// The same without the token, as any other local process would call.
std::unique_ptr<httplib::Client> clientWithoutToken();

// True when something accepts connections on the port.
bool portInUse(int port = kPort);

}  // namespace quillvarden::e2e
