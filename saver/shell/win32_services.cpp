// The front-end's system services on Windows: see win32_services.h.
#include "win32_services.h"

#include <vector>

#include "command_line.h"
#include "win32_text.h"

namespace velmora {
namespace {

class Win32ChildProcess : public ChildProcess {
  public:
    explicit Win32ChildProcess(HANDLE process) : process_(process) {}
    ~Win32ChildProcess() override { CloseHandle(process_); }
    Win32ChildProcess(const Win32ChildProcess&) = delete;
    Win32ChildProcess& operator=(const Win32ChildProcess&) = delete;
    bool hasEnded() override { return WaitForSingleObject(process_, 0) != WAIT_TIMEOUT; }

  private:
    HANDLE process_;
};

}  // namespace

bool Win32WindowFinder::exists(const std::string& title) {
    return FindWindowW(nullptr, utf8ToWide(title).c_str()) != nullptr;
}

std::unique_ptr<ChildProcess> Win32ProcessLauncher::start(const std::string& commandLine) {
    // The path is the whole command line, unquoted; naming it as the program as well keeps
    // a folder with blanks from being split.
    const std::wstring path = utf8ToWide(commandLine);
    std::vector<wchar_t> writable(path.begin(), path.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(path.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return std::make_unique<Win32ChildProcess>(process.hProcess);
}

std::int32_t Win32Cursor::showCursor(bool show) {
    return ShowCursor(show ? TRUE : FALSE);
}

void Win32Program::endProgram() {
    ExitProcess(0);
}

void Win32WindowTimers::start(RunTimer timer, unsigned intervalMs) {
    SetTimer(window_, static_cast<UINT_PTR>(timer), intervalMs, nullptr);
}

void Win32WindowTimers::stop(RunTimer timer) {
    KillTimer(window_, static_cast<UINT_PTR>(timer));
}

std::string currentArguments() {
    return argumentText(wideToUtf8(GetCommandLineW()));
}

}  // namespace velmora
