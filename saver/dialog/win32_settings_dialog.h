// The settings dialog "<Velmora>" on Win32: a modal top-level window over the dialog's
// logic, with the skinned buttons, the repeat box, windowless labels, marks and link.
#pragma once

#include <windows.h>

#include <string>

#include "settings_file.h"
#include "startup.h"

namespace velmora {

// Shows the dialog modally (no owner) and returns when it has been closed. The settings
// in state are changed in memory as the user works; only "設定" writes them to the file.
void runSettingsDialog(HINSTANCE instance, ShellState& state, FileSystem& files, AnsiCodec& codec,
                       const std::string& programFolder);

}  // namespace velmora
