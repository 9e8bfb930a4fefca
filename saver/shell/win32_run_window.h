// The run form's hidden top-level window "Velmora_Main": it carries the three timers and
// passes their ticks and an unload request to the run form.
#pragma once

#include <windows.h>

#include <memory>

#include "run_form.h"
#include "win32_services.h"

namespace velmora {

class Win32RunWindow {
  public:
    // Creates the hidden window; nothing runs yet.
    bool create(HINSTANCE instance);
    // Loads the run form on this window: starts the renderer and the music.
    void load(DisplayModeControl& display, ProcessLauncher& processes, CursorControl& cursor,
              ProgramControl& program, BgmPlayer& music, const BgmSettings& settings,
              std::int32_t& cursorState, const std::string& programFolder);

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void onTimer(WPARAM timer);
    void onUnload();

    HWND window_ = nullptr;
    std::unique_ptr<Win32WindowTimers> timers_;
    std::unique_ptr<RunForm> form_;
};

}  // namespace velmora
