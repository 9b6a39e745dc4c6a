#include "tests/e2e/app_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace quillvarden::e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {
std::string currentToken;
}  // namespace

static std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

fs::path appUnderTest() {
    const char* app = std::getenv("QV_E2E_APP");
    if (!app || !*app) throw std::runtime_error("QV_E2E_APP names no program");
    return fs::path(app);
}

bool runsUnderWine() { return appUnderTest().extension() == ".exe"; }

std::string programPath(const fs::path& path) {
    if (!runsUnderWine()) return path.string();
    std::string text = "Z:" + path.string();
    for (char& c : text) c = c == '/' ? '\\' : c;
    return text;
}

AppProcess::AppProcess(const fs::path& root, std::vector<std::string> args,
                       const std::vector<std::pair<fs::path, std::string>>& extraFiles, bool withLlama, bool headless) {
    if (headless) args.insert(args.begin(), "--headless");
    const fs::path app = appUnderTest();
    appDir_ = root / "app";
    fs::create_directories(appDir_);
    fs::copy_file(app, appDir_ / app.filename(), fs::copy_options::overwrite_existing);
    fs::copy(fs::path(QV_SOURCE_DIR) / "web", appDir_ / "web",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    // Detection libraries found at start-up: "." is the first base.
    fs::copy(fs::path(QV_SOURCE_DIR) / "tests" / "e2e" / "fixtures", appDir_,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    for (const auto& [source, inside] : extraFiles) {
        fs::create_directories((appDir_ / inside).parent_path());
        fs::copy_file(source, appDir_ / inside, fs::copy_options::overwrite_existing);
    }
    // The program finds llama.cpp beside itself, as it does in the build.
    for (const auto& entry : fs::directory_iterator(app.parent_path())) {
        if (!withLlama) break;
        const std::string name = entry.path().filename().string();
        const bool library = runsUnderWine() ? entry.path().extension() == ".dll"
                                             : name.rfind("lib", 0) == 0 && name.find(".so") != std::string::npos;
        if (library) fs::copy_file(entry.path(), appDir_ / name, fs::copy_options::overwrite_existing);
    }

    std::vector<std::string> argv;
    if (runsUnderWine()) argv.push_back(std::getenv("QV_WINE") ? std::getenv("QV_WINE") : "wine");
    argv.push_back((appDir_ / app.filename()).string());
    argv.insert(argv.end(), args.begin(), args.end());

    const std::string out = (appDir_ / "stdout.txt").string();
    const std::string err = (appDir_ / "stderr.txt").string();
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        ::setpgid(0, 0);  // its own group, so that Wine's helpers go with it
        if (::chdir(appDir_.c_str()) != 0) ::_exit(126);
        const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(outFd, 1);
        ::dup2(errFd, 2);
        std::vector<char*> raw;
        for (auto& a : argv) raw.push_back(a.data());
        raw.push_back(nullptr);
        ::execvp(raw[0], raw.data());
        ::_exit(127);
    }
    ::setpgid(pid_, pid_);
}

AppProcess::~AppProcess() { kill(); }

bool AppProcess::waitUntilServing(std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitForExit(0s)) return false;
        auto c = clientWithoutToken();
        c->set_connection_timeout(1);
        c->set_read_timeout(2);
        if (auto res = c->Options("/")) {
            // The token file is written before the server takes requests.
            std::error_code missing;
            if (res->status == 204 && fs::file_size(appDir_ / "api-token", missing) == 64) {
                currentToken = readAll(appDir_ / "api-token");
                return true;
            }
        }
        std::this_thread::sleep_for(200ms);
    }
    return false;
}

std::optional<int> AppProcess::waitForExit(std::chrono::seconds timeout) {
    if (exitCode_ || pid_ < 0) return exitCode_;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return exitCode_;
        }
        if (timeout.count() > 0) std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

void AppProcess::signal(int signalNumber) {
    if (pid_ > 0 && !exitCode_) ::kill(pid_, signalNumber);
}

void AppProcess::kill() {
    if (pid_ <= 0 || exitCode_) return;
    ::kill(-pid_, SIGKILL);
    waitForExit(30s);
    // Give the port back before the next program starts.
    for (int i = 0; i < 100 && portInUse(); ++i) std::this_thread::sleep_for(100ms);
}


// Windows writes its console lines with CRLF; the tests compare lines, not line ends.
static std::string withLinuxLineEnds(std::string text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out.push_back(text[i]);
    }
    return out;
}

std::string AppProcess::standardOutput() const { return withLinuxLineEnds(readAll(appDir_ / "stdout.txt")); }
std::string AppProcess::standardError() const { return withLinuxLineEnds(readAll(appDir_ / "stderr.txt")); }

std::string apiToken() { return currentToken; }

std::unique_ptr<httplib::Client> clientWithoutToken() {
    auto c = std::make_unique<httplib::Client>("127.0.0.1", kPort);
    c->set_connection_timeout(5);
    c->set_read_timeout(30);
    return c;
}

std::unique_ptr<httplib::Client> client() {
    auto c = clientWithoutToken();
    c->set_default_headers({{"X-Quillvarden-Token", currentToken}});
    return c;
}

bool portInUse(int port) {
    httplib::Client probe("127.0.0.1", port);
    probe.set_connection_timeout(0, 200000);
    probe.set_read_timeout(1);
    return static_cast<bool>(probe.Options("/"));
}

}  // namespace quillvarden::e2e
