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

// A started program, polled for its end.
class ChildProcess {
  public:
    virtual ~ChildProcess() = default;
    virtual bool hasEnded() = 0;
};

// Starts a program with the given command line, shown normally; nullptr if it cannot start.
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
    virtual void start(RunTimer timer, unsigned intervalMs) = 0;
    virtual void stop(RunTimer timer) = 0;
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
