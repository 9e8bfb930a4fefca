// Velmora.dll's entry point: the Win32 clock, message queue and error box around the renderer.
#include <windows.h>

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

class Win32MessagePump final : public MessagePump {
  public:
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
};

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

  private:
    Win32Clock clock_;
    Win32MessagePump pump_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Win32RendererPlatform platform;
    VelmoraAnimation animation;
    return runRenderer(platform, animation);
}
