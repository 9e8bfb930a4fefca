// The front-end's system services on Windows: window finder, renderer start, display mode,
// cursor, timers of one window, and the end of the process.
#pragma once

#include <windows.h>

#include "shell_services.h"

namespace velmora {

class Win32WindowFinder : public WindowFinder {
  public:
    bool exists(const std::string& title) override;
};

// Starts a program by its path alone, in a job through which ending the run ends it and all
// it started; its process handle tells when it has ended. (The renderer ends itself when this
// process has gone, giving the display back first.)
class Win32ProcessLauncher : public ProcessLauncher {
  public:
    std::unique_ptr<ChildProcess> start(const std::string& commandLine) override;
};

class Win32DisplayMode : public DisplayModeControl {
  public:
    void restoreRegistryMode() override;
};

class Win32Cursor : public CursorControl {
  public:
    std::int32_t showCursor(bool show) override;
};

class Win32Program : public ProgramControl {
  public:
    void endProgram() override;
};

// Window timers of one window; the timer's number is its identifier.
class Win32WindowTimers : public TimerHost {
  public:
    explicit Win32WindowTimers(HWND window) : window_(window) {}
    bool start(RunTimer timer, unsigned intervalMs) override;
    void stop(RunTimer timer) override;
    std::uint32_t nowMs() override;

  private:
    HWND window_;
};

// The argument text of this process's command line (UTF-8), read afresh.
std::string currentArguments();

}  // namespace velmora
