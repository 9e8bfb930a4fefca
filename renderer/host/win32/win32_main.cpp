// Velmora.dll's entry point: the Win32 clock, message queue and error box around the renderer.
#include <windows.h>
#include <mmsystem.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <string>

#include "host/front_end_choice.h"
#include "host/renderer_main.h"
#include "host/velmora_animation.h"
#include "host/win32/win32_render_window.h"

namespace {

class Win32Clock final : public ClockSource {
  public:
    bool queryFrequency(int64_t& ticksPerSecond) override {
        LARGE_INTEGER frequency{};
        const bool present = QueryPerformanceFrequency(&frequency) != 0;
        ticksPerSecond = frequency.QuadPart;
        return present;
    }
    int64_t queryCounter() override {
        LARGE_INTEGER counter{};
        QueryPerformanceCounter(&counter);
        return counter.QuadPart;
    }
    uint32_t tickCount() override { return GetTickCount(); }
};

// When the process was created, in 100 ns units since 1601; 0 when unknown.
uint64_t creationTime(HANDLE process) {
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return 0;
    }
    return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// A process handle for waiting on, kept only if choice accepts the process.
HANDLE keptIf(HANDLE process, const std::string& exeFile) {
    if (process != nullptr &&
        isOwnScreenSaver(exeFile, creationTime(process), creationTime(GetCurrentProcess()))) {
        return process;
    }
    if (process != nullptr) {
        CloseHandle(process);
    }
    return nullptr;
}

// The handle of itself that the screen saver handed down, named in the environment; the
// name goes from the environment at once, so that nothing this renderer starts takes it.
HANDLE handedDownFrontEnd() {
    char text[32] = {};
    const DWORD length = GetEnvironmentVariableA(kFrontEndHandleVariable, text, sizeof text);
    SetEnvironmentVariableA(kFrontEndHandleVariable, nullptr);
    const uint64_t value =
        length > 0 && length < sizeof text ? frontEndHandleValue(text) : 0;
    const auto handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
    if (handle == nullptr || GetProcessId(handle) == 0) {
        return nullptr;  // not a process handle of ours
    }
    return keptIf(handle, std::string());
}

// The parent by id, from a screen saver that hands nothing down: it must be a screen saver
// created before this renderer, not a program that took a dead parent's id.
HANDLE parentFrontEnd() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    DWORD parentId = 0;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId()) {
            parentId = entry.th32ParentProcessID;
        }
    }
    HANDLE frontEnd = nullptr;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more && parentId != 0;
         more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == parentId) {
            frontEnd = keptIf(
                OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parentId),
                entry.szExeFile);
            break;
        }
    }
    CloseHandle(snapshot);
    return frontEnd;
}

// The screen saver that started this renderer, if one did.
HANDLE openFrontEnd() {
    const HANDLE handedDown = handedDownFrontEnd();
    return handedDown != nullptr ? handedDown : parentFrontEnd();
}

// Watches the screen saver on a thread of its own, so that a render thread that hangs cannot
// keep the renderer alive: when the screen saver ends, however that is (killed by a task
// manager), the render thread is asked to quit; if the renderer has not ended within
// kQuitWaitMs, the display is given back from here and the process ends. (Windows restores
// a full-screen mode when its process dies; not every system does.)
class FrontEndWatch {
  public:
    static constexpr DWORD kQuitWaitMs = 2000;
    static constexpr DWORD kRestoreWaitMs = 1000;

    FrontEndWatch()
        : frontEnd_(openFrontEnd()),
          renderThread_(GetCurrentThreadId()),
          stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        if (frontEnd_ != nullptr && stop_ != nullptr) {
            thread_ = CreateThread(nullptr, 0, &FrontEndWatch::watch, this, 0, nullptr);
        }
    }
    ~FrontEndWatch() {
        if (thread_ != nullptr) {
            SetEvent(stop_);
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
        }
        for (const HANDLE handle : {stop_, frontEnd_}) {
            if (handle != nullptr) {
                CloseHandle(handle);
            }
        }
    }
    FrontEndWatch(const FrontEndWatch&) = delete;
    FrontEndWatch& operator=(const FrontEndWatch&) = delete;

  private:
    static DWORD WINAPI watch(void* self) {
        static_cast<FrontEndWatch*>(self)->watch();
        return 0;
    }
    void watch() {
        const HANDLE waitFor[] = {stop_, frontEnd_};
        if (WaitForMultipleObjects(2, waitFor, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
            return;  // the renderer is ending by itself
        }
        // Taken by the main loop, or by an open "ERROR" box, as a quit request.
        PostThreadMessageA(renderThread_, WM_QUIT, 0, 0);
        if (WaitForSingleObject(stop_, kQuitWaitMs) == WAIT_OBJECT_0) {
            return;
        }
        // The restore announces the change to every window, the hung one of this process
        // too, and may wait on it: it runs on a thread of its own and has kRestoreWaitMs (the
        // mode is changed before the announcement).
        if (const HANDLE restorer =
                CreateThread(nullptr, 0, &FrontEndWatch::restoreDisplay, nullptr, 0, nullptr)) {
            WaitForSingleObject(restorer, kRestoreWaitMs);
            CloseHandle(restorer);
        }
        TerminateProcess(GetCurrentProcess(), kFailedRunExitCode);
    }
    static DWORD WINAPI restoreDisplay(void*) {
        ChangeDisplaySettingsA(nullptr, 0);
        return 0;
    }

    HANDLE frontEnd_ = nullptr;
    DWORD renderThread_ = 0;
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
};

// Sleeps in whole milliseconds (the frame pacer makes up for the rounding), with the
// system timer at 1 ms while frames are drawn: the default 15.6 ms tick would turn a 12 ms
// sleep into 16 and pace below the display's refresh. Nobody needs it while nothing is drawn
// (before Windows 10 2004 it is the whole system's timer).
class Win32FrameSleeper final : public FrameSleeper {
  public:
    Win32FrameSleeper() { timeBeginPeriod(1); }
    ~Win32FrameSleeper() override { timeEndPeriod(1); }
    Win32FrameSleeper(const Win32FrameSleeper&) = delete;
    Win32FrameSleeper& operator=(const Win32FrameSleeper&) = delete;

    void sleepSeconds(double seconds) override {
        if (seconds > 0.0) {
            Sleep(static_cast<DWORD>(seconds * 1000.0 + 0.5));
        }
    }
    // Around a wait while unseen: the timer goes back to the system's own meanwhile.
    void pause() { timeEndPeriod(1); }
    void resume() { timeBeginPeriod(1); }
};

class Win32MessagePump final : public MessagePump {
  public:
    // sleeper: the one holding the 1 ms timer; nullptr when frames are not paced.
    explicit Win32MessagePump(Win32FrameSleeper* sleeper) : sleeper_(sleeper) {}

    bool dispatchNext(bool& wasQuit) override {
        MSG message{};
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            return false;
        }
        wasQuit = message.message == WM_QUIT;
        TranslateMessage(&message);
        DispatchMessageA(&message);
        return true;
    }
    void waitForMessage() override {
        if (sleeper_ != nullptr) {
            sleeper_->pause();
        }
        // Wakes for any message already waiting too, not only for ones new since the drain.
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (sleeper_ != nullptr) {
            sleeper_->resume();
        }
    }

  private:
    Win32FrameSleeper* sleeper_ = nullptr;
};

// Set by the end-to-end tests to measure what pacing saves; no user ever sets it.
bool unpacedTestRun() {
    char value[8] = {};
    return GetEnvironmentVariableA("VELMORA_TEST_UNPACED", value, sizeof value) > 0;
}

class Win32RendererPlatform final : public RendererPlatform {
  public:
    std::unique_ptr<RenderSurface> createWindow(const WindowRequest& request,
                                                KeyTable& keys) override {
        return std::make_unique<RenderWindow>(request, keys);
    }
    // In front of everything: nothing of ours is left on the screen to cover it, and the box
    // stays until it is dismissed.
    void showError(const char* message) override {
        MessageBoxA(nullptr, message, "ERROR", MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
    }
    MessagePump& messagePump() override { return pump_; }
    ClockSource& clockSource() override { return clock_; }
    FrameSleeper* frameSleeper() override { return sleeper_.get(); }

  private:
    FrontEndWatch watch_;  // first made, last gone: it watches the whole run
    Win32Clock clock_;
    std::unique_ptr<Win32FrameSleeper> sleeper_ =
        unpacedTestRun() ? nullptr : std::make_unique<Win32FrameSleeper>();
    Win32MessagePump pump_{sleeper_.get()};
};

// Set by the end-to-end tests to compare one frame at two screen shapes: every frame shows
// the scene at VELMORA_TEST_SCENE_TIME seconds; no user ever sets it. Below zero when unset.
double stillSceneTime() {
    char value[32] = {};
    if (GetEnvironmentVariableA("VELMORA_TEST_SCENE_TIME", value, sizeof value) == 0) {
        return -1.0;
    }
    return std::atof(value);
}

// The animation held at one scene time.
class StillAnimation final : public Animation {
  public:
    StillAnimation(Animation& moving, double sceneTime) : moving_(moving), time_(sceneTime) {}
    void initAnimation() override { moving_.initAnimation(); }
    void drawFrame(double, const std::vector<ViewportRect>& viewports) override {
        moving_.drawFrame(time_, viewports);
    }
    void releaseAnimation() override { moving_.releaseAnimation(); }

  private:
    Animation& moving_;
    double time_ = 0.0;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Win32RendererPlatform platform;
    VelmoraAnimation animation;
    const double stillTime = stillSceneTime();
    if (stillTime >= 0.0) {
        StillAnimation still(animation, stillTime);
        return runRenderer(platform, still);
    }
    return runRenderer(platform, animation);
}
