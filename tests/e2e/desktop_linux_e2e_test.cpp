// The Linux desktop program under Xvfb with a window manager and a private session
// bus (scripts/desktop-test.sh): its window and page, the page's four messages, a
// second start, notifications, and the tray's exit.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <thread>

#include "tests/e2e/app_process.h"
#include "tests/e2e/desktop_support.h"
#include "tests/e2e/e2e_fixture.h"

namespace quillvarden::e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kTitle = "羽岚 Quillvarden — 离线杀毒防护";

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

Geometry geometryOf(const std::string& window) {
    const std::string text = capture({"xdotool", "getwindowgeometry", "--shell", window});
    Geometry g;
    std::smatch m;
    if (std::regex_search(text, m, std::regex("X=(-?\\d+)"))) g.x = std::stoi(m[1]);
    if (std::regex_search(text, m, std::regex("Y=(-?\\d+)"))) g.y = std::stoi(m[1]);
    if (std::regex_search(text, m, std::regex("WIDTH=(\\d+)"))) g.width = std::stoi(m[1]);
    if (std::regex_search(text, m, std::regex("HEIGHT=(\\d+)"))) g.height = std::stoi(m[1]);
    return g;
}

std::string mapState(const std::string& window) {
    const std::string info = capture({"xwininfo", "-id", window});
    std::smatch m;
    return std::regex_search(info, m, std::regex("Map State: (\\w+)")) ? m[1].str() : "";
}

bool iconic(const std::string& window) {
    return capture({"xprop", "-id", window, "WM_STATE"}).find("Iconic") != std::string::npos;
}

// The colour of one screen pixel, as ImageMagick names it ("srgb(23,34,44)").
std::string pixelAt(int x, int y) {
    const std::string shot = artefactDirectory() + "/quillvarden-linux-window.png";
    capture({"import", "-window", "root", shot});
    const std::string text =
        capture({"convert", shot, "-crop", "1x1+" + std::to_string(x) + "+" + std::to_string(y), "txt:-"});
    std::smatch m;
    return std::regex_search(text, m, std::regex("(srgba?\\([^)]*\\))")) ? m[1].str() : text;
}

class LinuxDesktop : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!desktopEnvironment() || runsUnderWine()) return;
        root_ = std::make_unique<TempRoot>();
        fs::create_directories(root_->path() / "config");
        servicesLog_ = root_->path() / "services.log";
        servicesPid_ = ::fork();
        if (servicesPid_ == 0) {
            const std::string tool = (appUnderTest().parent_path().parent_path() / "tests" / "fake_desktop_services");
            ::execl(tool.c_str(), tool.c_str(), servicesLog_.c_str(), nullptr);
            ::_exit(127);
        }
        waitForOutput(
            {"cat", servicesLog_.string()},
            [](const std::string& text) { return text.find("StatusNotifierWatcher") != std::string::npos; }, 10s);
        ::setenv("XDG_CONFIG_HOME", (root_->path() / "config").c_str(), 1);
        app_ = std::make_unique<AppProcess>(root_->path(), std::vector<std::string>{},
                                            std::vector<std::pair<fs::path, std::string>>{}, false, false);
        ::unsetenv("XDG_CONFIG_HOME");
        ASSERT_TRUE(app_->waitUntilServing()) << app_->standardError();
        window_ = waitForOutput({"xdotool", "search", "--name", kTitle},
                                [](const std::string& text) { return !text.empty(); });
        while (!window_.empty() && (window_.back() == '\n')) window_.pop_back();
        window_ = window_.substr(0, window_.find('\n'));
    }
    static void TearDownTestSuite() {
        app_.reset();
        if (servicesPid_ > 0) ::kill(servicesPid_, SIGTERM);
        root_.reset();
    }
    void SetUp() override {
        if (!desktopEnvironment() || runsUnderWine()) GTEST_SKIP() << "needs scripts/desktop-test.sh (Linux build)";
        ASSERT_FALSE(window_.empty()) << "no window appeared";
    }
    static std::string servicesLog() { return capture({"cat", servicesLog_.string()}); }

    static inline std::unique_ptr<TempRoot> root_;
    static inline std::unique_ptr<AppProcess> app_;
    static inline fs::path servicesLog_;
    static inline pid_t servicesPid_ = -1;
    static inline std::string window_;
};

TEST_F(LinuxDesktop, TheWindowShowsThePageWithItsOwnTitleBar) {
    const Geometry g = geometryOf(window_);
    EXPECT_EQ(g.width, 1280);
    EXPECT_EQ(g.height, 800);
    EXPECT_EQ(mapState(window_), "IsViewable");
    // No frame of the system's: the page's dark title bar is at the very top.
    std::string colour;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline) {
        colour = pixelAt(g.x + g.width - 300, g.y + 18);  // between the title and the buttons
        if (colour == "srgb(23,34,44)" || colour == "srgba(23,34,44,1)") break;
        std::this_thread::sleep_for(500ms);
    }
    EXPECT_TRUE(colour == "srgb(23,34,44)" || colour == "srgba(23,34,44,1)") << colour << " at " << g.x << "," << g.y;
}

TEST_F(LinuxDesktop, ThePagesButtonsMoveMaximiseMinimiseAndHideTheWindow) {
    const Geometry before = geometryOf(window_);
    // Drag by the title bar.
    capture({"xdotool", "mousemove", std::to_string(before.x + 300), std::to_string(before.y + 18)});
    capture({"xdotool", "mousedown", "1"});
    std::this_thread::sleep_for(300ms);
    capture({"xdotool", "mousemove", std::to_string(before.x + 400), std::to_string(before.y + 78)});
    std::this_thread::sleep_for(300ms);
    capture({"xdotool", "mouseup", "1"});
    std::this_thread::sleep_for(500ms);
    const Geometry moved = geometryOf(window_);
    EXPECT_NE(moved.x, before.x);

    const auto click = [&](int fromRight) {
        const Geometry g = geometryOf(window_);
        capture({"xdotool", "mousemove", std::to_string(g.x + g.width - fromRight), std::to_string(g.y + 18), "click",
                 "1"});
        std::this_thread::sleep_for(800ms);
    };
    click(69);  // maximise
    const Geometry maximised = geometryOf(window_);
    EXPECT_GT(maximised.width, 1280);
    click(69);  // and back
    EXPECT_EQ(geometryOf(window_).width, 1280);
    click(115);  // minimise
    EXPECT_TRUE(iconic(window_));
    capture({"xdotool", "windowactivate", window_});
    std::this_thread::sleep_for(800ms);
    click(23);  // close: hidden, still running
    EXPECT_NE(mapState(window_), "IsViewable");
    EXPECT_FALSE(app_->waitForExit(0s).has_value());

    // A second start only brings the first window back.
    AppProcess second(root_->path() / "second", {}, {}, false, false);
    const auto code = second.waitForExit(30s);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0);
    const std::string state = waitForOutput(
        {"xwininfo", "-id", window_},
        [](const std::string& text) { return text.find("IsViewable") != std::string::npos; }, 10s);
    EXPECT_NE(state.find("IsViewable"), std::string::npos);
}

TEST_F(LinuxDesktop, AnAlertBecomesADesktopNotification) {
    fs::create_directories(root_->path() / "config" / "autostart");
    std::ofstream(root_->path() / "config" / "autostart" / "qv-note.desktop")
        << "[Desktop Entry]\nType=Application\nExec=/opt/qv-note/run\n";
    const std::string log = waitForOutput({"cat", servicesLog_.string()}, [](const std::string& text) {
        return text.find("notify\t羽岚 Quillvarden · 实时防护告警") != std::string::npos;
    });
    EXPECT_NE(
        log.find(
            "notify\t羽岚 Quillvarden · 实时防护告警\t检测到程序正在添加开机自启动项（持久化行为）||自启动位置：user:"),
        std::string::npos)
        << log;
    EXPECT_NE(log.find("启动命令：/opt/qv-note/run"), std::string::npos) << log;
}

TEST_F(LinuxDesktop, ExitInTheTrayEndsTheProgramAndFreesThePort) {
    // The tray icon registered with the status-notifier watcher; its menu is on the bus.
    const std::string log = servicesLog();
    std::smatch m;
    ASSERT_TRUE(std::regex_search(log, m, std::regex("item\t(\\S+)\t(\\S+)"))) << log;
    const std::string bus = m[1];
    const std::string item = m[2];
    const std::string menuReply =
        capture({"gdbus", "call", "--session", "--dest", bus, "--object-path", item, "--method",
                 "org.freedesktop.DBus.Properties.Get", "org.kde.StatusNotifierItem", "Menu"});
    ASSERT_TRUE(std::regex_search(menuReply, m, std::regex("objectpath '([^']+)'"))) << menuReply;
    const std::string menu = m[1];
    const std::string layout = capture({"gdbus", "call", "--session", "--dest", bus, "--object-path", menu, "--method",
                                        "com.canonical.dbusmenu.GetLayout", "--", "0", "-1", "[]"});
    EXPECT_NE(layout.find("打开主界面"), std::string::npos) << layout;
    ASSERT_TRUE(std::regex_search(layout, m, std::regex("\\((\\d+), \\{[^}]*'label': <'退出'>"))) << layout;
    capture({"gdbus", "call", "--session", "--dest", bus, "--object-path", menu, "--method",
             "com.canonical.dbusmenu.Event", "--", m[1].str(), "clicked", "<0>", "0"});
    const auto code = app_->waitForExit(30s);
    ASSERT_TRUE(code.has_value()) << "still running after 退出";
    EXPECT_EQ(*code, 0);
    EXPECT_FALSE(portInUse());
    EXPECT_FALSE(fs::exists(app_->appDir() / "api-token"));
}

}  // namespace
}  // namespace quillvarden::e2e
