// The cover over every monitor: window and viewports for monitor layouts, and the hold on
// the screen through deactivation, reactivation and display changes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/screen_cover.h"

namespace {

MonitorInfo monitor(int32_t left, int32_t top, int32_t width, int32_t height,
                    bool primary = false) {
    return {{left, top, left + width, top + height}, primary};
}

// Every monitor gets its own drawing area, in the window's bottom-left-origin pixels, the
// primary's first and where it always was; the window is the union of the monitors.
TEST(CoverLayout, OneViewportPerMonitorWithThePrimaryFirst) {
    struct Case {
        const char* name;
        std::vector<MonitorInfo> monitors;
        ScreenRect window;
        std::vector<ViewportRect> viewports;
    };
    const Case cases[] = {
        {"one monitor at its own mode",
         {monitor(0, 0, 1920, 1080, true)},
         {0, 0, 1920, 1080},
         {{0, 0, 1920, 1080}}},
        {"one monitor at the granted mode",
         {monitor(0, 0, 1024, 768, true)},
         {0, 0, 1024, 768},
         {{0, 0, 1024, 768}}},
        {"side by side",
         {monitor(0, 0, 1920, 1080, true), monitor(1920, 0, 1920, 1080)},
         {0, 0, 3840, 1080},
         {{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}}},
        // Listed first and at negative x: the primary is still found and still comes first.
        {"negative x",
         {monitor(-1280, 0, 1280, 1024), monitor(0, 0, 1920, 1080, true)},
         {-1280, 0, 1920, 1080},
         {{1280, 0, 1920, 1080}, {0, 56, 1280, 1024}}},
        // Rows count from the window's bottom, whatever is above or left of the primary.
        {"above and left",
         {monitor(0, -900, 1600, 900), monitor(-1024, 200, 1024, 768),
          monitor(0, 0, 1920, 1080, true)},
         {-1024, -900, 1920, 1080},
         {{1024, 0, 1920, 1080}, {1024, 1080, 1600, 900}, {0, 112, 1024, 768}}},
        {"stacked",
         {monitor(0, 0, 1920, 1080, true), monitor(0, 1080, 1920, 1080)},
         {0, 0, 1920, 2160},
         {{0, 1080, 1920, 1080}, {0, 0, 1920, 1080}}},
        // The granted 1024 x 768 primary beside a taller monitor: it sits at the top.
        {"different heights",
         {monitor(0, 0, 1024, 768, true), monitor(1024, 0, 1200, 1920)},
         {0, 0, 2224, 1920},
         {{0, 1152, 1024, 768}, {1024, 0, 1200, 1920}}},
        {"no primary: the first listed leads",
         {monitor(1920, 0, 1280, 1024), monitor(0, 0, 1920, 1080)},
         {0, 0, 3200, 1080},
         {{1920, 56, 1280, 1024}, {0, 0, 1920, 1080}}},
        {"no monitors", {}, {}, {}},
    };
    for (const Case& c : cases) {
        const CoverLayout layout = coverLayout(c.monitors);
        EXPECT_EQ(layout.window, c.window) << c.name;
        EXPECT_EQ(layout.viewports, c.viewports) << c.name;
    }
}

// Every display call, in order; monitors as the display now has them.
class FakeDisplay final : public DisplayPlatform {
  public:
    std::vector<std::string> calls;
    std::vector<MonitorInfo> now{monitor(0, 0, 1920, 1080, true), monitor(1920, 0, 1280, 1024)};
    std::vector<MonitorInfo> granted{monitor(0, 0, 1024, 768, true), monitor(1920, 0, 1280, 1024)};
    bool grants = true;
    bool modeChanged = false;

    bool requestMode(int32_t width, int32_t height, int32_t colorBits) override {
        calls.push_back("mode " + std::to_string(width) + "x" + std::to_string(height) + "x" +
                        std::to_string(colorBits));
        modeChanged = grants;
        return grants;
    }
    void restoreRegistryMode() override {
        calls.push_back("registry mode");
        modeChanged = false;
    }
    std::vector<MonitorInfo> monitors() override { return modeChanged ? granted : now; }
    void placeWindow(const ScreenRect& area) override {
        calls.push_back("place " + std::to_string(area.left) + "," + std::to_string(area.top) +
                        " " + std::to_string(area.width()) + "x" + std::to_string(area.height()));
    }
    void setViewports(const std::vector<ViewportRect>& viewports) override {
        std::string call = "viewports";
        for (const ViewportRect& viewport : viewports) {
            call += " " + std::to_string(viewport.x) + "," + std::to_string(viewport.y) + " " +
                    std::to_string(viewport.width) + "x" + std::to_string(viewport.height);
        }
        calls.push_back(call);
    }
    void minimise() override { calls.push_back("minimise"); }
};

class ScreenCoverTest : public ::testing::Test {
  protected:
    FakeDisplay display;
    ScreenCover cover{display, {1024, 768, 16}};
};

TEST_F(ScreenCoverTest, TakingTheScreenAsksForTheModeThenLaysOutTheMonitorsAsChanged) {
    const CoverLayout& layout = cover.takeScreen();
    EXPECT_EQ(display.calls, (std::vector<std::string>{"mode 1024x768x16"}));
    EXPECT_TRUE(cover.modeGranted());
    EXPECT_EQ(layout.window, (ScreenRect{0, 0, 3200, 1024}));
    EXPECT_EQ(layout.viewports,
              (std::vector<ViewportRect>{{0, 256, 1024, 768}, {1920, 0, 1280, 1024}}));
}

TEST_F(ScreenCoverTest, RefusedModeCoversTheMonitorsAtTheirCurrentMode) {
    display.grants = false;
    const CoverLayout& layout = cover.takeScreen();
    EXPECT_FALSE(cover.modeGranted());
    EXPECT_EQ(layout.window, (ScreenRect{0, 0, 3200, 1080}));
    EXPECT_EQ(layout.viewports,
              (std::vector<ViewportRect>{{0, 0, 1920, 1080}, {1920, 56, 1280, 1024}}));
}

TEST_F(ScreenCoverTest, DeactivationGivesTheDisplayBackAndReactivationTakesItAgain) {
    cover.takeScreen();
    display.calls.clear();

    cover.onActivateApp(false);
    EXPECT_EQ(display.calls, (std::vector<std::string>{"registry mode", "minimise"}));
    EXPECT_FALSE(display.modeChanged);
    // The restored mode announces itself; a minimised renderer does not jump back.
    cover.onDisplayChange();
    cover.onActivateApp(false);
    EXPECT_EQ(display.calls.size(), 2u);

    display.calls.clear();
    cover.onActivateApp(true);
    EXPECT_EQ(display.calls,
              (std::vector<std::string>{"mode 1024x768x16", "place 0,0 3200x1024",
                                        "viewports 0,256 1024x768 1920,0 1280x1024"}));
    cover.onActivateApp(true);
    EXPECT_EQ(display.calls.size(), 3u);
}

TEST_F(ScreenCoverTest, ReactivationOnADisplayThatNowRefusesCoversItAsItIs) {
    cover.takeScreen();
    cover.onActivateApp(false);
    display.grants = false;
    display.calls.clear();
    cover.onActivateApp(true);
    EXPECT_FALSE(cover.modeGranted());
    EXPECT_EQ(display.calls,
              (std::vector<std::string>{"mode 1024x768x16", "place 0,0 3200x1080",
                                        "viewports 0,0 1920x1080 1920,56 1280x1024"}));
}

TEST_F(ScreenCoverTest, DisplayChangeWhileActiveCoversTheMonitorsAsTheyNowAre) {
    display.grants = false;
    cover.takeScreen();
    display.calls.clear();
    display.now = {monitor(0, 0, 1920, 1080, true)};  // the second monitor unplugged
    cover.onDisplayChange();
    EXPECT_EQ(display.calls,
              (std::vector<std::string>{"place 0,0 1920x1080", "viewports 0,0 1920x1080"}));
    EXPECT_EQ(cover.viewportsFor(1920, 1080), (std::vector<ViewportRect>{{0, 0, 1920, 1080}}));
}

TEST_F(ScreenCoverTest, AMonitorCheckCoversAgainOnlyWhenTheMonitorsMoved) {
    display.grants = false;
    cover.takeScreen();
    display.calls.clear();
    cover.onMonitorCheck();
    EXPECT_TRUE(display.calls.empty());
    display.now.push_back(monitor(3200, 0, 1024, 768));  // plugged in, unannounced
    cover.onMonitorCheck();
    EXPECT_EQ(display.calls, (std::vector<std::string>{"place 0,0 4224x1080",
                                                       "viewports 0,0 1920x1080 1920,56 1280x1024 "
                                                       "3200,312 1024x768"}));
    display.calls.clear();
    cover.onActivateApp(false);
    display.now.pop_back();
    display.calls.clear();
    cover.onMonitorCheck();  // a minimised renderer stays out of the way
    EXPECT_TRUE(display.calls.empty());
}

TEST_F(ScreenCoverTest, ViewportsForAClientThatIsNotTheCoverAreTheWholeClient) {
    cover.takeScreen();
    EXPECT_EQ(cover.viewportsFor(3200, 1024),
              (std::vector<ViewportRect>{{0, 256, 1024, 768}, {1920, 0, 1280, 1024}}));
    EXPECT_EQ(cover.viewportsFor(0, 0), (std::vector<ViewportRect>{{0, 0, 0, 0}}));
}

// The switched mode is owned: the display comes back however the renderer leaves.
// A start-up step that fails after the switch runs only the cover's own end; a teardown's
// restore is the only one.
TEST(ScreenCoverOwnsTheMode, LeavingAfterAGrantedSwitchGivesTheDisplayBackOnce) {
    for (const bool tornDown : {false, true}) {
        FakeDisplay display;
        {
            ScreenCover cover(display, {1024, 768, 16});
            cover.takeScreen();
            ASSERT_TRUE(display.modeChanged);
            if (tornDown) {
                cover.giveBack();
                cover.onDisplayChange();  // announced by the restore itself: no re-cover
            }
        }
        EXPECT_FALSE(display.modeChanged);
        EXPECT_EQ(display.calls, (std::vector<std::string>{"mode 1024x768x16", "registry mode"}))
            << tornDown;
    }
}

TEST(ScreenCoverOwnsTheMode, ARefusedOrAlreadyGivenBackModeIsNotRestoredAgain) {
    FakeDisplay display;
    display.grants = false;
    { ScreenCover(display, {1024, 768, 16}).takeScreen(); }
    EXPECT_EQ(display.calls, (std::vector<std::string>{"mode 1024x768x16"}));

    display.grants = true;
    display.calls.clear();
    {
        ScreenCover cover(display, {1024, 768, 16});
        cover.takeScreen();
        cover.onActivateApp(false);
    }
    EXPECT_EQ(display.calls,
              (std::vector<std::string>{"mode 1024x768x16", "registry mode", "minimise"}));
}

TEST(ScreenCoverOwnsTheMode, AModeTakenAgainOnReactivationIsGivenBackAtTheEnd) {
    FakeDisplay display;
    {
        ScreenCover cover(display, {1024, 768, 16});
        cover.takeScreen();
        cover.onActivateApp(false);
        cover.onActivateApp(true);
        display.calls.clear();
    }
    EXPECT_EQ(display.calls, (std::vector<std::string>{"registry mode"}));
    EXPECT_FALSE(display.modeChanged);
}

}  // namespace
