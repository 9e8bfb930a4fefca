// Velmora.scr's entry: builds the Windows services, runs Main, and then lives on the message
// loop while the preview or the run form is loaded.
#include <windows.h>

#include <memory>

#include "bgm_player.h"
#include "settings_dialog.h"
#include "startup.h"
#include "win32_file_system.h"
#include "win32_mci_transport.h"
#include "win32_preview.h"
#include "win32_run_window.h"
#include "win32_services.h"
#include "win32_text.h"

namespace velmora {
namespace {

// Everything the front-end's process holds from start-up to its end.
class SaverApplication : public StartupForms {
  public:
    explicit SaverApplication(HINSTANCE instance)
        : instance_(instance), folder_(programFolder()), music_(mci_, state_.settings) {}

    int run() {
        StartupServices services{windows_, files_, codec_, cursor_, *this};
        if (runStartup(currentArguments(), folder_, services, state_) ==
            StartupResult::EndProgram) {
            program_.endProgram();
        }
        runMessageLoop();
        // The loaded form has gone: nothing keeps the program.
        program_.endProgram();
        return 0;
    }

    // Handles window messages until WM_QUIT, or until the preview box's owner has ended.
    void runMessageLoop() {
        const HANDLE boxOwner = preview_ != nullptr ? preview_->boxOwner() : nullptr;
        const DWORD handleCount = boxOwner != nullptr ? 1 : 0;
        for (;;) {
            const DWORD woken =
                MsgWaitForMultipleObjects(handleCount, &boxOwner, FALSE, INFINITE, QS_ALLINPUT);
            if (handleCount == 1 && woken == WAIT_OBJECT_0) {
                return;
            }
            MSG message{};
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    return;
                }
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }

    void showPreview(std::int32_t boxHandle) override {
        preview_ = std::make_unique<Win32Preview>();
        if (!preview_->attach(instance_, boxHandle)) {
            program_.endProgram();
        }
    }

    void showSettingsDialog() override {
        SettingsDialogContext context{state_.settings, state_.zoom, folder_, files_, codec_};
        velmora::showSettingsDialog(context);
    }

    void showMessage(const std::string& text, const std::string& caption) override {
        MessageBoxW(nullptr, utf8ToWide(text).c_str(), utf8ToWide(caption).c_str(), MB_OK);
    }

    void loadRunForm() override {
        runWindow_ = std::make_unique<Win32RunWindow>();
        if (!runWindow_->create(instance_)) {
            program_.endProgram();
        }
        runWindow_->load(display_, launcher_, cursor_, program_, music_, state_.settings,
                         state_.cursorState, folder_);
    }

  private:
    HINSTANCE instance_;
    std::string folder_;
    ShellState state_;
    Win32WindowFinder windows_;
    Win32DisplayMode display_;
    Win32FileSystem files_;
    Win32AnsiCodec codec_;
    Win32Cursor cursor_;
    Win32Program program_;
    Win32ProcessLauncher launcher_;
    Win32MciTransport mci_;
    BgmPlayer music_;
    std::unique_ptr<Win32Preview> preview_;
    std::unique_ptr<Win32RunWindow> runWindow_;
};

}  // namespace
}  // namespace velmora

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    velmora::SaverApplication application(instance);
    return application.run();
}
