// The Windows desktop program under Wine and Xvfb (scripts/desktop-test.sh): the
// window as another program sees it, the tray icon, the browser's set-up through a
// stand-in runtime built by the tests, the page's messages, a second start, and the
// exit command.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "tests/e2e/app_process.h"
#include "tests/e2e/desktop_support.h"
#include "tests/e2e/e2e_fixture.h"

namespace quillvarden::e2e {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using namespace std::chrono_literals;

fs::path testTool(const std::string& name) { return appUnderTest().parent_path().parent_path() / "tests" / name; }

std::string wine() { return std::getenv("QV_WINE") ? std::getenv("QV_WINE") : "wine"; }

json probe(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {wine(), testTool("window_probe.exe").string()};
    argv.insert(argv.end(), args.begin(), args.end());
    const std::string out = capture(argv);
    const auto start = out.find('{');
    return start == std::string::npos ? json() : json::parse(out.substr(start), nullptr, false);
}

// Polls the probe until the predicate holds for its answer.
template <typename Predicate>
json waitForProbe(const std::vector<std::string>& args, Predicate predicate, std::chrono::seconds timeout = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    json answer;
    do {
        answer = probe(args);
        if (answer.is_object() && predicate(answer)) return answer;
        std::this_thread::sleep_for(300ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return answer;
}

class WindowsDesktop : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!desktopEnvironment() || !runsUnderWine()) return;
        root_ = std::make_unique<TempRoot>();
        app_ = std::make_unique<AppProcess>(
            root_->path(), std::vector<std::string>{},
            std::vector<std::pair<fs::path, std::string>>{{testTool("WebView2Loader.dll"), "WebView2Loader.dll"}},
            false, false);
        ASSERT_TRUE(app_->waitUntilServing()) << app_->standardError();
        waitForProbe(
            {"info"}, [](const json& info) { return info.value("visible", false); }, 60s);
    }
    static void TearDownTestSuite() {
        app_.reset();
        root_.reset();
    }
    void SetUp() override {
        if (!desktopEnvironment() || !runsUnderWine()) GTEST_SKIP() << "needs scripts/desktop-test.sh (Windows build)";
    }
    static std::string fakeLog() { return capture({"cat", (app_->appDir() / "fake-webview.log").string()}); }
    static void postMessage(const std::string& line) {
        std::ofstream(app_->appDir() / "fake-webview-messages.txt", std::ios::app) << line << "\n";
        const std::string delivered = "delivered " + line + "\n";
        waitForOutput(
            {"cat", (app_->appDir() / "fake-webview.log").string()},
            [&](const std::string& text) { return text.find(delivered) != std::string::npos; }, 10s);
        std::this_thread::sleep_for(500ms);
    }

    static inline std::unique_ptr<TempRoot> root_;
    static inline std::unique_ptr<AppProcess> app_;
};

TEST_F(WindowsDesktop, TheWindowIsWhatTheProgramDeclares) {
    const json info = probe({"info"});
    ASSERT_TRUE(info.value("found", false)) << info.dump();
    EXPECT_EQ(info["className"], "QuillvardenMainWindow");
    EXPECT_EQ(info["title"], "羽岚 Quillvarden — 离线杀毒防护");
    EXPECT_EQ(info["width"], 1280);
    EXPECT_EQ(info["height"], 800);
    EXPECT_EQ(info["minWidth"], 900);
    EXPECT_EQ(info["minHeight"], 600);
    EXPECT_EQ(info["visible"], true);
    EXPECT_EQ(probe({"tray"})["tray"], true);
    // The frame is the page's: the edges resize, the rest is client area.
    EXPECT_EQ(probe({"hittest", "2", "2"})["hit"], 13);       // HTTOPLEFT
    EXPECT_EQ(probe({"hittest", "640", "400"})["hit"], 1);    // HTCLIENT
    EXPECT_EQ(probe({"hittest", "1278", "400"})["hit"], 11);  // HTRIGHT
}

TEST_F(WindowsDesktop, TheBrowserIsSetUpAndPointedAtThePageWithItsToken) {
    const std::string log =
        waitForOutput({"cat", (app_->appDir() / "fake-webview.log").string()},
                      [](const std::string& text) { return text.find("navigate") != std::string::npos; });
    const std::string expected =
        "environment browserFolder=null userDataFolder=null options=null\n"
        "controller for a window\n";
    EXPECT_EQ(log.rfind(expected, 0), 0u) << log;
    const std::string settings =
        "setting IsScriptEnabled=1\nsetting AreDefaultScriptDialogsEnabled=0\nsetting IsWebMessageEnabled=1\n"
        "setting AreDevToolsEnabled=0\nsetting IsStatusBarEnabled=0\nsetting AreDefaultContextMenusEnabled=0\n"
        "setting AreBrowserAcceleratorKeysEnabled=0\nweb messages handled\nnavigate http://127.0.0.1:8910/#token=" +
        apiToken() + "\n";
    EXPECT_NE(log.find(settings), std::string::npos) << log;
    EXPECT_NE(log.find("bounds 0 0 "), std::string::npos) << log;
}

TEST_F(WindowsDesktop, ThePagesMessagesActOnTheWindowExactlyAsWritten) {
    postMessage("win:maximize");
    EXPECT_EQ(probe({"info"})["zoomed"], true);
    postMessage("win:maximize");
    EXPECT_EQ(probe({"info"})["zoomed"], false);
    postMessage("Win:close");       // another letter case means nothing
    postMessage("json:{\"a\":1}");  // nor does a message that is not text
    EXPECT_EQ(probe({"info"})["visible"], true);
    postMessage("win:drag");
    EXPECT_EQ(probe({"info"})["visible"], true);
    postMessage("win:minimize");
    EXPECT_EQ(probe({"info"})["iconic"], true);

    // A second start asks this one to show itself and ends.
    AppProcess second(root_->path() / "second", {}, {}, false, false);
    const auto code = second.waitForExit(60s);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0);
    const json shown = waitForProbe({"info"}, [](const json& info) { return !info.value("iconic", true); });
    EXPECT_EQ(shown["iconic"], false);
    EXPECT_EQ(shown["visible"], true);

    postMessage("win:close");
    EXPECT_EQ(probe({"info"})["visible"], false);
    probe({"command", "1001"});  // the tray's "打开主界面"
    EXPECT_EQ(waitForProbe({"info"}, [](const json& info) { return info.value("visible", false); })["visible"], true);
    probe({"close"});  // WM_CLOSE hides, and nothing more
    EXPECT_EQ(waitForProbe({"info"}, [](const json& info) { return !info.value("visible", true); })["visible"], false);
    EXPECT_FALSE(app_->waitForExit(0s).has_value());
}

TEST_F(WindowsDesktop, ExitEndsTheProgramAndFreesThePort) {
    probe({"command", "1002"});
    const auto code = app_->waitForExit(60s);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0);
    EXPECT_FALSE(portInUse());
    EXPECT_NE(fakeLog().find("closed"), std::string::npos);
}

TEST(WindowsDesktopWithoutRuntime, SaysWhereToOpenThePage) {
    if (!desktopEnvironment() || !runsUnderWine()) GTEST_SKIP() << "needs scripts/desktop-test.sh (Windows build)";
    TempRoot root;
    AppProcess app(root.path(), {}, {}, false, false);
    ASSERT_TRUE(app.waitUntilServing()) << app.standardError();
    const json notice = waitForProbe(
        {"notice"}, [](const json& answer) { return answer.contains("notice"); }, 60s);
    const std::string text = notice.value("notice", "");
    EXPECT_NE(text.find("未找到 WebView2 运行库"), std::string::npos) << notice.dump();
    EXPECT_NE(text.find("http://127.0.0.1:8910/#token=" + apiToken()), std::string::npos) << text;
    probe({"command", "1002"});
    EXPECT_TRUE(app.waitForExit(60s).has_value());
}

}  // namespace
}  // namespace quillvarden::e2e
