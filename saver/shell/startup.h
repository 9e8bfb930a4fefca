// Main, the front-end's start-up: the instance guard, the mode switch, the settings, the
// renderer check, and the hand-over to the preview, the settings dialog or a run.
#pragma once

#include <cstdint>
#include <string>

#include "bgm_settings.h"
#include "settings_file.h"
#include "shell_services.h"
#include "zoom.h"

namespace velmora {

inline constexpr const char* kSettingsDialogTitle = "<Velmora>";
inline constexpr const char* kApplicationTitle = "Velmora (ScreenSaver)";
inline constexpr const char* kRendererMissingMessage = "Velmora.dll が同じﾌｫﾙﾀﾞに見つかりません！";

// The forms and the message box that the start-up hands over to.
class StartupForms {
  public:
    virtual ~StartupForms() = default;
    // Loads the preview, attaches it to the box and shows it.
    virtual void showPreview(std::int32_t boxHandle) = 0;
    // Shows the settings dialog modally; returns when it has been closed.
    virtual void showSettingsDialog() = 0;
    // An OK-only message box without an icon; returns when it has been closed.
    virtual void showMessage(const std::string& text, const std::string& caption) = 0;
    // Loads the hidden run form; its load handler starts the renderer and the music.
    virtual void loadRunForm() = 0;
};

struct StartupServices {
    WindowFinder& windows;
    FileSystem& files;
    AnsiCodec& codec;
    CursorControl& cursor;
    StartupForms& forms;
};

// The process-wide state of the front-end.
struct ShellState {
    BgmSettings settings;          // BgmKind, BgmRepeat, BgmFile, BgmFolder
    std::int32_t cursorState = 0;  // CursorState: ShowCursor's result when Main hid it
    ZoomPoint zoom;                // ZoomX, ZoomY: set by the settings dialog
};

enum class StartupResult {
    EndProgram,   // nothing more to do: the process ends
    KeepRunning,  // a form is loaded: the process lives while it is
};

StartupResult runStartup(const std::string& arguments, const std::string& programFolder,
                         StartupServices& services, ShellState& state);

}  // namespace velmora
