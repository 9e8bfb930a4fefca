// Velmora.dll's entry point: the Win32 clock, message queue and error box around the renderer.
#include <windows.h>
#include <mmsystem.h>
#include <tlhelp32.h>

#include <cstdlib>

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

// A screen saver's program file, whatever the user renamed it to: "*.scr".
bool isScreenSaver(const char* fileName) {
    const size_t length = lstrlenA(fileName);
    return length >= 4 && lstrcmpiA(fileName + length - 4, ".scr") == 0;
}

// The screen saver that started this renderer, if it did: when it ends, however that is
// (killed by a task manager), the run is over and the renderer ends as after a close request,
// giving the display back; nothing else would.
HANDLE openFrontEnd() {
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
        if (entry.th32ProcessID == parentId && isScreenSaver(entry.szExeFile)) {
            frontEnd = OpenProcess(SYNCHRONIZE, FALSE, parentId);
            break;
        }
    }
    CloseHandle(snapshot);
    return frontEnd;
}

class Win32MessagePump final : public MessagePump {
  public:
    Win32MessagePump() : frontEnd_(openFrontEnd()) {}
    ~Win32MessagePump() override {
        if (frontEnd_ != nullptr) {
            CloseHandle(frontEnd_);
        }
    }
    Win32MessagePump(const Win32MessagePump&) = delete;
    Win32MessagePump& operator=(const Win32MessagePump&) = delete;

    bool dispatchNext(bool& wasQuit) override {
        if (frontEnd_ != nullptr && WaitForSingleObject(frontEnd_, 0) == WAIT_OBJECT_0) {
            CloseHandle(frontEnd_);
            frontEnd_ = nullptr;
            wasQuit = true;  // taken as a quit message, once
            return true;
        }
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
        // Wakes for any message already waiting too, not only for ones new since the drain,
        // and when the screen saver ends, which the next drain takes as a quit.
        const DWORD handles = frontEnd_ != nullptr ? 1 : 0;
        MsgWaitForMultipleObjectsEx(handles, handles != 0 ? &frontEnd_ : nullptr, INFINITE,
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }

  private:
    HANDLE frontEnd_ = nullptr;
};

// Sleeps in whole milliseconds (the frame pacer makes up for the rounding), with the
// system timer at 1 ms for the life of the renderer: the default 15.6 ms tick would turn
// a 12 ms sleep into 16 and pace below the display's refresh.
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
    void showError(const char* message) override {
        MessageBoxA(nullptr, message, "ERROR", MB_ICONERROR);
    }
    MessagePump& messagePump() override { return pump_; }
    ClockSource& clockSource() override { return clock_; }
    FrameSleeper* frameSleeper() override { return unpaced_ ? nullptr : &sleeper_; }

  private:
    Win32Clock clock_;
    Win32MessagePump pump_;
    Win32FrameSleeper sleeper_;
    bool unpaced_ = unpacedTestRun();
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
    void drawFrame(double) override { moving_.drawFrame(time_); }
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
