// The front-end's system services on Windows: see win32_services.h.
#include "win32_services.h"

#include <vector>

#include "command_line.h"
#include "win32_text.h"

namespace velmora {
namespace {

// Closes a kernel handle when it leaves scope.
class KernelHandle {
  public:
    explicit KernelHandle(HANDLE handle = nullptr) : handle_(handle) {}
    ~KernelHandle() {
        if (handle_ != nullptr) {
            CloseHandle(handle_);
        }
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    HANDLE get() const { return handle_; }
    HANDLE release() {
        const HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }

  private:
    HANDLE handle_;
};

class Win32ChildProcess : public ChildProcess {
  public:
    // Owns both handles; terminate() ends the program and everything it started.
    Win32ChildProcess(HANDLE process, DWORD processId, HANDLE job)
        : process_(process), processId_(processId), job_(job) {}

    bool hasEnded() override { return WaitForSingleObject(process_.get(), 0) != WAIT_TIMEOUT; }

    bool endedCleanly() override {
        DWORD code = STILL_ACTIVE;
        return hasEnded() && GetExitCodeProcess(process_.get(), &code) && code == 0;
    }

    bool findWindow(const std::string& title) override {
        const std::wstring wideTitle = utf8ToWide(title);
        window_ = nullptr;
        for (HWND found = FindWindowExW(nullptr, nullptr, nullptr, wideTitle.c_str());
             found != nullptr;
             found = FindWindowExW(nullptr, found, nullptr, wideTitle.c_str())) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (owner == processId_) {
                window_ = found;
                return true;
            }
        }
        return false;
    }

    bool windowAnswers(unsigned timeoutMs) override {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs,
                                   &result) != 0;
    }

    bool closeWindow(const std::string& title) override {
        return findWindow(title) && PostMessageW(window_, WM_CLOSE, 0, 0) != 0;
    }

    bool waitForEnd(unsigned timeoutMs) override {
        const DWORD started = GetTickCount();
        for (;;) {
            const DWORD waited = GetTickCount() - started;
            const DWORD left = waited < timeoutMs ? timeoutMs - waited : 0;
            const HANDLE process = process_.get();
            // Messages sent to our windows meanwhile (the renderer's display change is
            // announced to every top-level window) are answered, so that it never waits
            // on us.
            const DWORD woken =
                MsgWaitForMultipleObjects(1, &process, FALSE, left, QS_SENDMESSAGE);
            if (woken == WAIT_OBJECT_0) {
                return true;
            }
            if (woken != WAIT_OBJECT_0 + 1 || left == 0) {
                return hasEnded();
            }
            MSG message{};
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }

    void terminate() override {
        if (job_.get() == nullptr || !TerminateJobObject(job_.get(), 1)) {
            TerminateProcess(process_.get(), 1);
        }
        waitForEnd(kTerminateWaitMs);
    }

  private:
    static constexpr unsigned kTerminateWaitMs = 2000;

    KernelHandle process_;
    DWORD processId_;
    KernelHandle job_;
    HWND window_ = nullptr;
};

// A job for the run's programs, so that ending the run ends everything they started;
// nullptr if none can be made. Not killed when its last handle closes: a killed front-end
// would take the renderer with it before it could give the display back. The renderer ends
// itself when its front-end has gone.
HANDLE createRunJob() {
    return CreateJobObjectW(nullptr, nullptr);
}

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
    // Suspended until it sits in the job, so that nothing it starts escapes the job.
    if (!CreateProcessW(path.c_str(), writable.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &process)) {
        return nullptr;
    }
    KernelHandle job(createRunJob());
    if (job.get() != nullptr && !AssignProcessToJobObject(job.get(), process.hProcess)) {
        // Inside a job that allows no other: the close request and the watch still end it.
        CloseHandle(job.release());
    }
    // The renderer is a grandchild of the program the user last used (the settings'
    // "Preview" button): without this right it could not take the foreground.
    AllowSetForegroundWindow(process.dwProcessId);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    return std::make_unique<Win32ChildProcess>(process.hProcess, process.dwProcessId,
                                               job.release());
}

void Win32DisplayMode::restoreRegistryMode() {
    ChangeDisplaySettingsW(nullptr, 0);
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

std::uint32_t Win32WindowTimers::nowMs() {
    return GetTickCount();
}

std::string currentArguments() {
    return argumentText(wideToUtf8(GetCommandLineW()));
}

}  // namespace velmora
