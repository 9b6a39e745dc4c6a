// The parts of the desktop hosts that decide without a window: frame hit-testing,
// the page's messages, the command line, balloon text cuts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/balloon_text.h"
#include "app/command_line.h"
#include "app/window_layout.h"
#include "app/window_messages.h"

namespace quillvarden {
namespace {

TEST(WindowLayout, ResizeBorderScalesWithDpi) {
    const std::vector<std::pair<int, int>> cases = {{96, 6}, {0, 6}, {-1, 6}, {120, 8}, {144, 9}, {192, 12}, {168, 11}};
    for (const auto& [dpi, border] : cases) EXPECT_EQ(resizeBorderFor(dpi), border) << dpi;
}

TEST(WindowLayout, HitTestingFindsEdgesAndCorners) {
    const WindowRect window{100, 50, 1380, 850};  // 1280 x 800
    const int b = 6;
    struct Case {
        int x, y;
        bool maximized;
        FrameZone zone;
    };
    const std::vector<Case> cases = {
        {640, 400, false, FrameZone::Client},
        {100, 50, false, FrameZone::TopLeft},
        {1379, 50, false, FrameZone::TopRight},
        {100, 849, false, FrameZone::BottomLeft},
        {1379, 849, false, FrameZone::BottomRight},
        {105, 400, false, FrameZone::Left},
        {106, 400, false, FrameZone::Client},
        {1374, 400, false, FrameZone::Right},
        {1373, 400, false, FrameZone::Client},
        {640, 55, false, FrameZone::Top},
        {640, 56, false, FrameZone::Client},
        {640, 844, false, FrameZone::Bottom},
        {640, 843, false, FrameZone::Client},
        {100, 50, true, FrameZone::Client},
        {1379, 849, true, FrameZone::Client},
        {50, 400, false, FrameZone::Left},  // outside to the left still counts as the left edge
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hitTestFrame(window, b, c.x, c.y, c.maximized), c.zone) << c.x << "," << c.y << " " << c.maximized;
    }
}

TEST(WindowMessages, OnlyTheFourExactTextsMeanSomething) {
    EXPECT_EQ(parseWindowMessage("win:minimize"), WindowAction::Minimize);
    EXPECT_EQ(parseWindowMessage("win:maximize"), WindowAction::ToggleMaximize);
    EXPECT_EQ(parseWindowMessage("win:close"), WindowAction::Close);
    EXPECT_EQ(parseWindowMessage("win:drag"), WindowAction::Drag);
    for (const char* other :
         {"Win:close", "WIN:CLOSE", "win:close ", " win:close", "win:", "", "win:restore", "\"win:close\""}) {
        EXPECT_FALSE(parseWindowMessage(other).has_value()) << other;
    }
}

TEST(CommandLine, SwitchesAnywhere) {
    struct Case {
        std::string text;
        bool autoBlock, headless, takeover;
    };
    const std::vector<Case> cases = {
        {"", false, false, false},
        {"--enable-autoblock", true, false, false},
        {"-x --enable-autoblock-now", true, false, false},  // also inside a longer argument
        {"--headless", false, true, false},
        {"--headless-not", false, false, false},
        {"--enable-autoblock --takeover", true, false, true},
        {"\t--headless\t--enable-autoblock", true, true, false},
    };
    for (const Case& c : cases) {
        const CommandLine line = parseCommandLineText(c.text);
        EXPECT_EQ(line.enableAutoBlock, c.autoBlock) << c.text;
        EXPECT_EQ(line.headless, c.headless) << c.text;
        EXPECT_EQ(line.takeover, c.takeover) << c.text;
    }
    const CommandLine args = parseCommandLine({"--headless", "x--enable-autoblock"});
    EXPECT_TRUE(args.headless);
    EXPECT_TRUE(args.enableAutoBlock);
}

TEST(BalloonText, CutsAtTheFieldSizesWithoutSplittingAPair) {
    EXPECT_EQ(cutUtf16(std::u16string(70, u'标'), kBalloonTitleUnits).size(), 63u);
    EXPECT_EQ(cutUtf16(std::u16string(300, u'a'), kBalloonTextUnits).size(), 255u);
    EXPECT_EQ(cutUtf16(u"short", kBalloonTitleUnits), u"short");
    std::u16string pairs;
    for (int i = 0; i < 40; ++i) pairs += u"\xD83D\xDE00";  // 80 units of emoji
    const std::u16string cut = cutUtf16(pairs, kBalloonTitleUnits);
    EXPECT_EQ(cut.size(), 62u);
    EXPECT_EQ(cut.back(), u'\xDE00');
}

}  // namespace
}  // namespace quillvarden
