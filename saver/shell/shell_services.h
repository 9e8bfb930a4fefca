// The operating-system services the front-end's start-up and run form use, each behind a
// narrow interface so that their logic runs anywhere; texts are UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace velmora {

// Top-level windows found by title alone (no class name).
class WindowFinder {
  public:
    virtual ~WindowFinder() = default;
    virtual bool exists(const std::string& title) = 0;
};

// A started program, polled for its end, and its own top-level window.
class ChildProcess {
  public:
    virtual ~ChildProcess() = default;
    virtual bool hasEnded() = 0;
    // Once it has ended: whether with exit code 0. A crash or a failed start is not clean
    // and may have left the display mode changed.
    virtual bool endedCleanly() = 0;
    // Looks for a top-level window with this title that belongs to this process (one of any
    // other process is not it) and keeps it for the calls below; true when there is one.
    virtual bool findWindow(const std::string& title) = 0;
    // Whether the kept window answers a message within timeoutMs; a hung one does not.
    virtual bool windowAnswers(unsigned timeoutMs) = 0;
    // Whether it shows its "ERROR" message box: a visible top-level window of this process
    // titled kErrorBoxTitle. Such a renderer has failed and waits for the user to read why.
    virtual bool showsErrorBox() = 0;
    // Finds the window as findWindow does and posts it a close request; false if none.
    virtual bool closeWindow(const std::string& title) = 0;
    // Waits up to timeoutMs for the end; true once it has ended.
    virtual bool waitForEnd(unsigned timeoutMs) = 0;
    // Ends it at once, with everything it started, and waits briefly for the end.
    virtual void terminate() = 0;
};

// Starts a program with the given command line, shown normally; nullptr if it cannot start.
// The renderer does not outlive this process: it ends itself, giving the display back,
// when this one ends, however that is.
class ProcessLauncher {
  public:
    virtual ~ProcessLauncher() = default;
    virtual std::unique_ptr<ChildProcess> start(const std::string& commandLine) = 0;
};

// The run form's window timers.
enum class RunTimer { Timer1 = 1, Timer2 = 2, Timer3 = 3 };

class TimerHost {
  public:
    virtual ~TimerHost() = default;
    // False when the system has no timer left to give.
    virtual bool start(RunTimer timer, unsigned intervalMs) = 0;
    virtual void stop(RunTimer timer) = 0;
    // Milliseconds since an arbitrary origin; wraps around after 2^32.
    virtual std::uint32_t nowMs() = 0;
};

// The display mode: back to the one stored in the registry.
class DisplayModeControl {
  public:
    virtual ~DisplayModeControl() = default;
    virtual void restoreRegistryMode() = 0;
};

// The mouse cursor's display count: ShowCursor's argument and result.
class CursorControl {
  public:
    virtual ~CursorControl() = default;
    virtual std::int32_t showCursor(bool show) = 0;
};

// The end of the whole process at once, with no further handler.
class ProgramControl {
  public:
    virtual ~ProgramControl() = default;
    virtual void endProgram() = 0;
};

}  // namespace velmora
