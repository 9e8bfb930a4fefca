// Velmora_S, the hidden run form: starts the renderer and the music, keeps the music going
// with its timers, and ends the run, and the renderer with it, when the renderer has gone or
// hangs or the form unloads for any other reason.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "bgm_player.h"
#include "bgm_settings.h"
#include "shell_services.h"

namespace velmora {

inline constexpr const char* kRunFormTitle = "Velmora_Main";
inline constexpr const char* kRendererTitle = "VelmoraVC";
// The caption of the renderer's message box for a failed start.
inline constexpr const char* kErrorBoxTitle = "ERROR";

constexpr unsigned kTimer1IntervalMs = 1000;  // MP3 loop check
constexpr unsigned kTimer2IntervalMs = 200;   // CD poll
constexpr unsigned kTimer3IntervalMs = 500;   // renderer watch
// Checks a renderer may take to show its window while its process runs: 60 x 500 ms = 30 s.
constexpr int kRendererStartChecks = 60;
// A renderer's window must answer within 1 s at each check; after 5 s without an answer
// the renderer is taken as hung and ended, so that a covering window never traps the user.
constexpr unsigned kRendererAnswerTimeoutMs = 1000;
constexpr std::uint32_t kRendererHangLimitMs = 5000;
// How long a renderer asked to close, or ending by itself, may take to restore the display
// and end (or, once its window has gone, to show its "ERROR" box) before it is ended from
// here. A renderer showing its "ERROR" box is left alone until the box is dismissed.
constexpr unsigned kRendererCloseWaitMs = 2000;

// The renderer's full path: the program's folder and "\Velmora.dll".
std::string rendererPath(const std::string& programFolder);

struct RunFormServices {
    DisplayModeControl& display;
    ProcessLauncher& processes;
    TimerHost& timers;
    CursorControl& cursor;
    ProgramControl& program;
    BgmPlayer& music;
};

class RunForm {
  public:
    // cursorState is CursorState, shared with the start-up; readArguments re-reads the
    // command line's argument text.
    RunForm(RunFormServices services, const BgmSettings& settings, std::int32_t& cursorState,
            std::string programFolder, std::function<std::string()> readArguments);

    void formLoad();
    void timer1Tick();
    void timer2Tick();
    void timer3Tick();
    // Asks the renderer to close first, stops the music, shows the cursor again, ends a
    // renderer that is still there, and ends the program.
    void queryUnload();

    bool timerEnabled(RunTimer timer) const;
    const std::string& rendererPathText() const { return rendererPath_; }

  private:
    // False when a timer to be enabled could not start (it stays disabled).
    bool setTimer(RunTimer timer, bool enabled);
    // The renderer's window is there: does it still answer? Ends a hung renderer and the run.
    void checkAnswer();
    // No renderer window at this check: whether the run is over.
    bool runIsOver();
    // Ends the renderer if it has not ended by itself or on the close request.
    void endRenderer(bool closeRequested);
    std::string fileKind() const;

    RunFormServices services_;
    const BgmSettings& settings_;
    std::int32_t& cursorState_;
    std::string programFolder_;
    std::function<std::string()> readArguments_;
    std::string rendererPath_;
    std::unique_ptr<ChildProcess> renderer_;
    bool timer1Enabled_ = false;
    bool timer2Enabled_ = false;
    bool timer3Enabled_ = false;
    bool rendererWindowSeen_ = false;
    bool rendererWindowGone_ = false;  // seen and then gone, the process still running
    std::uint32_t windowGoneMs_ = 0;
    bool rendererHadItsTime_ = false;  // to end after its window went: ended at once
    int rendererChecks_ = 0;
    std::uint32_t lastAnswerMs_ = 0;
};

}  // namespace velmora
