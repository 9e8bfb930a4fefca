// Velmora_S: its handlers in order, the music it starts and stops, and the renderer watch.
#include <gtest/gtest.h>

#include <algorithm>

#include "../music/fake_mci.h"
#include "fake_shell.h"
#include "run_form.h"

namespace velmora {
namespace {

using namespace velmora::test;

std::string gArguments;
std::string currentArguments() {
    return gArguments;
}

class RunFormTest : public ::testing::Test {
  protected:
    EventLog log;
    FakeDisplayMode display{log};
    FakeLauncher launcher{log};
    FakeTimers timers{log};
    FakeCursor cursor{log};
    FakeProgram program{log};
    FakeMci mci;
    BgmSettings settings;
    BgmPlayer music{mci, settings};
    std::int32_t cursorState = 0;
    RunForm form{RunFormServices{display, launcher, timers, cursor, program, music}, settings,
                 cursorState, "C:\\Saver", currentArguments};

    RunFormTest() { gArguments = "/s"; }

    void load() {
        form.formLoad();
        log.clear();
        mci.calls.clear();
    }
    // The cursor hidden as Main hid it, the run loaded, and the renderer's window there.
    void loadWithWindow() {
        cursorState = cursor.showCursor(false);
        load();
        launcher.program->windows.insert("VelmoraVC");
    }
    // Timer3 ticks, 500 ms apart, until the program ends or the count is reached; the
    // ticks taken.
    int watch(int ticks) {
        int taken = 0;
        while (taken < ticks && !program.ended) {
            timers.now += kTimer3IntervalMs;
            form.timer3Tick();
            ++taken;
        }
        return taken;
    }
};

TEST_F(RunFormTest, LoadStartsTheWatchAndTheRendererByItsFullPath) {
    form.formLoad();
    EXPECT_EQ(log, (EventLog{"timer3 on 500", "start C:\\Saver\\Velmora.dll"}));
    EXPECT_TRUE(mci.calls.empty());
    EXPECT_TRUE(mci.soundCalls.empty());
}

TEST_F(RunFormTest, CdKindOpensTheDriveAndPollsEvery200Ms) {
    settings.kind = kBgmCd;
    form.formLoad();
    EXPECT_EQ(log.back(), "timer2 on 200");
    EXPECT_EQ(mci.commands(),
              (std::vector<std::string>{"open cdaudio", "set cdaudio time format tmsf"}));
    form.timer2Tick();
    EXPECT_TRUE(form.timerEnabled(RunTimer::Timer2));
    EXPECT_EQ(mci.cdMode, "playing");
}

TEST_F(RunFormTest, NoDiscStopsThePollAfterItsFirstTickAndTheEndSendsNothingToTheDrive) {
    settings.kind = kBgmCd;
    mci.discPresent = false;
    form.formLoad();
    form.timer2Tick();
    EXPECT_FALSE(form.timerEnabled(RunTimer::Timer2));
    EXPECT_EQ(timers.running.count(RunTimer::Timer2), 0u);
    mci.calls.clear();
    form.queryUnload();
    EXPECT_TRUE(mci.calls.empty());
    EXPECT_TRUE(program.ended);
}

TEST_F(RunFormTest, CdIsStoppedAndClosedAtTheEndWhilePolling) {
    settings.kind = kBgmCd;
    load();
    launcher.program->ended = true;
    form.queryUnload();
    EXPECT_EQ(mci.commands(), (std::vector<std::string>{"stop cdaudio", "close cdaudio"}));
    EXPECT_EQ(log.front(), "timer2 off");
}

TEST_F(RunFormTest, FileKindIsTakenFromTheLastThreeCharacters) {
    struct Case {
        const char* file;
        bool wav;
        bool mp3;
    };
    const Case cases[] = {
        {"C:\\a.wav", true, false},  {"C:\\song.mp3", false, true}, {"C:\\A.WaV", true, false},
        {"C:\\a.mp2", false, false}, {"C:\\a.wma", false, false},   {"mp3", false, true},
        {"C:\\amp3", false, true},
    };
    for (const Case& c : cases) {
        FakeMci freshMci;
        freshMci.playableFiles.insert(c.file);
        BgmSettings fileSettings;
        fileSettings.kind = kBgmFile;
        fileSettings.file = c.file;
        BgmPlayer player{freshMci, fileSettings};
        EventLog events;
        FakeTimers fileTimers{events};
        RunForm fileForm{RunFormServices{display, launcher, fileTimers, cursor, program, player},
                         fileSettings, cursorState, "C:\\Saver", currentArguments};
        fileForm.formLoad();
        EXPECT_EQ(!freshMci.soundCalls.empty(), c.wav) << c.file;
        EXPECT_EQ(freshMci.mp3Open, c.mp3) << c.file;
        EXPECT_EQ(fileForm.timerEnabled(RunTimer::Timer1), c.mp3) << c.file;
    }
}

TEST_F(RunFormTest, Mp3IsKeptPlayingAndClosedAtTheEnd) {
    settings.kind = kBgmFile;
    settings.file = "C:\\My Music\\song.mp3";
    mci.playableFiles.insert(settings.file);
    form.formLoad();
    EXPECT_EQ(mci.mp3Mode, "playing");
    mci.mp3Mode = "stopped";
    form.timer1Tick();
    EXPECT_EQ(mci.mp3Mode, "playing");
    mci.calls.clear();
    form.queryUnload();
    EXPECT_EQ(mci.commands(), (std::vector<std::string>{"stop MP3Play", "close MP3Play"}));
    EXPECT_FALSE(form.timerEnabled(RunTimer::Timer1));
}

TEST_F(RunFormTest, WavIsStoppedAtTheEnd) {
    settings.kind = kBgmFile;
    settings.file = "C:\\a.wav";
    load();
    form.queryUnload();
    EXPECT_EQ(mci.soundCalls, (std::vector<std::string>{"play C:\\a.wav 131083", "stop 0"}));
}

TEST_F(RunFormTest, EndShowsTheCursorAgainOnlyForTheSSwitch) {
    cursorState = cursor.showCursor(false);  // as Main hid it
    load();
    launcher.program->ended = true;
    form.queryUnload();
    EXPECT_EQ(log, (EventLog{"cursor show", "end"}));
    EXPECT_EQ(cursor.count, 0);
    EXPECT_EQ(cursorState, 0);

    gArguments = "";
    log.clear();
    form.queryUnload();
    EXPECT_EQ(log, (EventLog{"end"}));
}

TEST_F(RunFormTest, RunEndsAtTheFirstCheckAfterTheRendererHasGone) {
    load();
    launcher.program->windows.insert("VelmoraVC");
    EXPECT_EQ(watch(10), 10);
    EXPECT_FALSE(program.ended);
    launcher.program->windows.clear();
    launcher.program->ended = true;
    EXPECT_EQ(watch(10), 1);
    EXPECT_TRUE(program.ended);
    EXPECT_FALSE(form.timerEnabled(RunTimer::Timer3));
}

// Its window gone, the renderer is ending or about to show its "ERROR" box: it has 2 s for
// either, and is then ended without another wait.
TEST_F(RunFormTest, RendererWhoseWindowHasGoneButWhichStaysIsEndedAfter2Seconds) {
    load();
    launcher.program->windows.insert("VelmoraVC");
    watch(2);
    launcher.program->windows.clear();
    log.clear();
    EXPECT_EQ(watch(10), 5);
    EXPECT_EQ(EventLog(log.end() - 3, log.end()), (EventLog{"terminate", "registry mode", "end"}));
}

TEST_F(RunFormTest, SlowRendererKeepsTheRunAliveWhileItsProcessRuns) {
    load();
    EXPECT_EQ(watch(5), 5);  // 2.5 s without a window, the renderer still starting
    EXPECT_FALSE(program.ended);
    launcher.program->windows.insert("VelmoraVC");
    watch(3);
    launcher.program->windows.clear();
    launcher.program->ended = true;
    EXPECT_EQ(watch(10), 1);
    EXPECT_TRUE(program.ended);
}

TEST_F(RunFormTest, RendererProcessThatEndedEndsTheRunAtTheNextCheck) {
    load();
    watch(3);
    launcher.program->ended = true;
    EXPECT_EQ(watch(10), 1);
    EXPECT_TRUE(program.ended);
}

TEST_F(RunFormTest, RendererThatCannotStartEndsTheRunAtTheFirstCheck) {
    launcher.startFails = true;
    load();
    EXPECT_EQ(watch(10), 1);
    EXPECT_TRUE(program.ended);
}

TEST_F(RunFormTest, WatchLooksForTheRendererTitleEveryTick) {
    load();
    launcher.program->windows.insert("VelmoraVC");
    watch(2);
    EXPECT_EQ(log, (EventLog{"find VelmoraVC", "ask 1000", "find VelmoraVC", "ask 1000"}));
}

TEST_F(RunFormTest, UnloadAsksItsOwnRendererToCloseFirstAndLetsItEndByItself) {
    loadWithWindow();
    watch(2);
    log.clear();
    form.queryUnload();  // closed from outside, the session ending: any reason
    EXPECT_EQ(log, (EventLog{"close VelmoraVC", "cursor show", "wait 2000", "end"}));
    EXPECT_TRUE(launcher.program->ended);
}

TEST_F(RunFormTest, RendererThatIgnoresTheCloseRequestIsEndedAndTheDisplayRestored) {
    loadWithWindow();
    launcher.program->endsOnClose = false;
    watch(2);
    log.clear();
    form.queryUnload();
    EXPECT_EQ(log, (EventLog{"close VelmoraVC", "cursor show", "wait 2000", "terminate",
                             "registry mode", "end"}));
}

// Nothing but the front-end is left to give back a mode that a crashed or failed renderer
// switched to.
TEST_F(RunFormTest, RendererThatCrashedMidRunHasTheDisplayRestored) {
    loadWithWindow();
    watch(2);
    launcher.program->windows.clear();
    launcher.program->ended = true;
    launcher.program->exitCode = static_cast<int>(0xC0000005u);
    log.clear();
    EXPECT_EQ(watch(10), 1);
    EXPECT_EQ(log,
              (EventLog{"find VelmoraVC", "timer3 off", "cursor show", "registry mode", "end"}));
}

TEST_F(RunFormTest, RendererThatFailedToStartHasTheDisplayRestoredAndOneThatEndedCleanlyNot) {
    for (const int exitCode : {1, 0}) {
        log.clear();
        program.ended = false;
        RunForm run{RunFormServices{display, launcher, timers, cursor, program, music}, settings,
                    cursorState, "C:\\Saver", currentArguments};
        run.formLoad();
        launcher.program->ended = true;
        launcher.program->exitCode = exitCode;
        run.timer3Tick();
        const bool restored = std::find(log.begin(), log.end(), "registry mode") != log.end();
        EXPECT_EQ(restored, exitCode != 0) << "exit code " << exitCode;
        EXPECT_TRUE(program.ended);
    }
}

// 30 s without a window: the renderer is ended without waiting.
TEST_F(RunFormTest, RendererThatNeverShowsAWindowIsEndedAtTheStartLimit) {
    cursorState = cursor.showCursor(false);  // as Main hid it
    load();
    EXPECT_EQ(watch(100), kRendererStartChecks);
    EXPECT_TRUE(program.ended);
    const EventLog tail(log.end() - 5, log.end());
    EXPECT_EQ(tail,
              (EventLog{"close VelmoraVC", "cursor show", "terminate", "registry mode", "end"}));
}

TEST_F(RunFormTest, RendererSilentFor5SecondsIsEndedWithTheRun) {
    loadWithWindow();
    watch(4);
    launcher.program->answers = false;
    // Each silent check, 500 ms apart: the tenth is 5 s after the last answer.
    EXPECT_EQ(watch(100), 10);
    EXPECT_TRUE(program.ended);
    const EventLog tail(log.end() - 5, log.end());
    EXPECT_EQ(tail, (EventLog{"terminate", "registry mode", "timer3 off", "cursor show", "end"}));
    EXPECT_FALSE(form.timerEnabled(RunTimer::Timer3));
}

TEST_F(RunFormTest, AnAnswerBeforeTheLimitKeepsTheRunGoing) {
    load();
    launcher.program->windows.insert("VelmoraVC");
    watch(1);
    launcher.program->answers = false;
    watch(9);
    launcher.program->answers = true;
    watch(1);
    launcher.program->answers = false;
    EXPECT_EQ(watch(9), 9);
    EXPECT_FALSE(program.ended);
    // A check that itself took the whole second counts that second.
    timers.now += 1000;
    watch(1);
    EXPECT_TRUE(program.ended);
}

TEST_F(RunFormTest, RendererWindowFoundFirstWhenSilentGetsItsFullFiveSeconds) {
    load();
    launcher.program->windows.insert("VelmoraVC");
    launcher.program->answers = false;
    EXPECT_EQ(watch(100), 11);  // first seen at the first check, 5 s later ended
}

}  // namespace
}  // namespace velmora
