// Main, the front-end's start-up: see startup.h.
#include "startup.h"

#include "command_line.h"
#include "run_form.h"

namespace velmora {

StartupResult runStartup(const std::string& arguments, const std::string& programFolder,
                         StartupServices& services, ShellState& state) {
    if (services.windows.exists(kRunFormTitle) || services.windows.exists(kSettingsDialogTitle)) {
        return StartupResult::EndProgram;
    }
    const char mode = modeLetter(arguments);
    if (mode == 'P') {
        // The preview reads no settings, needs no renderer and leaves the cursor alone.
        services.forms.showPreview(previewBoxHandle(arguments));
        return StartupResult::KeepRunning;
    }
    loadSettings(services.files, services.codec, programFolder, state.settings);
    if (!fileExists(services.files, rendererPath(programFolder))) {
        services.forms.showMessage(kRendererMissingMessage, kApplicationTitle);
        return StartupResult::EndProgram;
    }
    if (mode == 'C') {
        services.forms.showSettingsDialog();
        return StartupResult::EndProgram;
    }
    if (mode != 'S' && !arguments.empty()) {
        return StartupResult::EndProgram;
    }
    if (mode == 'S') {
        state.cursorState = services.cursor.showCursor(false);
    }
    services.forms.loadRunForm();
    return StartupResult::KeepRunning;
}

}  // namespace velmora
