// Velmora_P, the settings dialog: shown modally by the start-up for the settings switch.
#pragma once

#include <string>

#include "bgm_settings.h"
#include "settings_file.h"
#include "zoom.h"

namespace velmora {

struct SettingsDialogContext {
    BgmSettings& settings;      // the shared settings, loaded by the start-up
    ZoomPoint& zoom;            // ZoomX, ZoomY
    std::string programFolder;  // UTF-8, without a trailing backslash
    FileSystem& files;          // where the choice is stored
    AnsiCodec& codec;           // the settings file's encodings
};

// Shows the dialog modally (no owner window) and returns when it has been closed.
void showSettingsDialog(SettingsDialogContext& context);

}  // namespace velmora
