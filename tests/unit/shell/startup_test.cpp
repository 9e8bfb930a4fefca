// Main: the instance guard, the switch table and the renderer check, in their order.
#include <gtest/gtest.h>

#include "fake_shell.h"
#include "startup.h"

namespace velmora {
namespace {

using namespace velmora::test;

const std::string kFolder = "C:\\Saver";
const std::string kRenderer = "C:\\Saver\\Velmora.dll";
const std::string kGuard[] = {"find Velmora_Main", "find <Velmora>"};

class StartupTest : public ::testing::Test {
  protected:
    EventLog log;
    FakeWindowFinder windows{log};
    FakeFileSystem files;
    FakeCodec codec;
    FakeCursor cursor{log};
    FakeForms forms{log};
    StartupServices services{windows, files, codec, cursor, forms};
    ShellState state;

    StartupTest() { files.files[kRenderer] = "MZ"; }

    StartupResult start(const std::string& arguments) {
        log.clear();
        return runStartup(arguments, kFolder, services, state);
    }
    EventLog after(const EventLog& steps) {
        EventLog expected(std::begin(kGuard), std::end(kGuard));
        expected.insert(expected.end(), steps.begin(), steps.end());
        return expected;
    }
};

TEST_F(StartupTest, SwitchTable) {
    struct Case {
        const char* arguments;
        StartupResult result;
        EventLog steps;
    };
    const Case cases[] = {
        {"/s", StartupResult::KeepRunning, {"cursor hide", "run form"}},
        {"/S", StartupResult::KeepRunning, {"cursor hide", "run form"}},
        {"-s", StartupResult::KeepRunning, {"cursor hide", "run form"}},
        {"", StartupResult::KeepRunning, {"run form"}},
        {"/c", StartupResult::EndProgram, {"dialog"}},
        {"/c:1234", StartupResult::EndProgram, {"dialog"}},
        {"/p 1234", StartupResult::KeepRunning, {"preview 1234"}},
        {"/p:1234", StartupResult::KeepRunning, {"preview 1234"}},
        {"/p", StartupResult::KeepRunning, {"preview 0"}},
        {"/a", StartupResult::EndProgram, {}},
        {"s", StartupResult::EndProgram, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(start(c.arguments), c.result) << c.arguments;
        EXPECT_EQ(log, after(c.steps)) << c.arguments;
    }
}

TEST_F(StartupTest, HiddenCursorCountIsKeptAsCursorState) {
    start("/s");
    EXPECT_EQ(state.cursorState, -1);
    state.cursorState = 0;
    start("");
    EXPECT_EQ(state.cursorState, 0);
}

TEST_F(StartupTest, RunningSaverOrOpenDialogEndsEveryStart) {
    for (const char* title : {"Velmora_Main", "<Velmora>"}) {
        windows.windows = {title};
        for (const char* arguments : {"/s", "/p 1234", "/c", ""}) {
            EXPECT_EQ(start(arguments), StartupResult::EndProgram);
            EXPECT_EQ(log.back().rfind("find ", 0), 0u) << title << " " << arguments;
        }
    }
}

TEST_F(StartupTest, MissingRendererShowsTheMessageForRunAndSettingsButNotForPreview) {
    files.files.erase(kRenderer);
    const std::string message =
        "message Velmora.dll が同じﾌｫﾙﾀﾞに見つかりません！ | Velmora (ScreenSaver)";
    for (const char* arguments : {"/s", "/c", "", "/a"}) {
        EXPECT_EQ(start(arguments), StartupResult::EndProgram) << arguments;
        EXPECT_EQ(log, after({message})) << arguments;
    }
    EXPECT_EQ(start("/p 5"), StartupResult::KeepRunning);
    EXPECT_EQ(log, after({"preview 5"}));
}

TEST_F(StartupTest, SettingsAreLoadedExceptForThePreview) {
    files.files["C:\\Saver\\Velmora.ini"] = "[Section]\r\n" + std::string(kKeyBgmKind) + "= 1\r\n";
    start("/p 5");
    EXPECT_EQ(state.settings.kind, 0);
    EXPECT_EQ(state.settings.folder, "");
    start("/c");
    EXPECT_EQ(state.settings.kind, 1);
    EXPECT_EQ(state.settings.folder, kFolder);
}

}  // namespace
}  // namespace velmora
