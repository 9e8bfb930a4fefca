// The front-end's system services on Windows: see win32_services.h.
#include "win32_services.h"

#include <cstdint>
#include <string>
#include <vector>

#include "command_line.h"
#include "run_form.h"
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
        window_ = ownWindow(title, false);
        return window_ != nullptr;
    }

    bool showsErrorBox() override { return ownWindow(kErrorBoxTitle, true) != nullptr; }

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

    // A top-level window of this process with this title (shown, if asked); null if none.
    HWND ownWindow(const std::string& title, bool shownOnly) const {
        const std::wstring wideTitle = utf8ToWide(title);
        for (HWND found = FindWindowExW(nullptr, nullptr, nullptr, wideTitle.c_str());
             found != nullptr;
             found = FindWindowExW(nullptr, found, nullptr, wideTitle.c_str())) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (owner == processId_ && (!shownOnly || IsWindowVisible(found))) {
                return found;
            }
        }
        return nullptr;
    }

    KernelHandle process_;
    DWORD processId_;
    KernelHandle job_;
    HWND window_ = nullptr;
};

// A job for the run's programs, so that ending the run ends everything they started;
// nullptr if none can be made. Not killed when its last handle closes: the renderer watches
// this process on a thread of its own and, when it has gone, ends within about 2 s, giving the
// display back itself first, hung or not. A kill on close would end it before that, leaving
// the mode switched where the system does not restore it for a dead process (Wine 8); where it
// does (Windows) it would add only the end of a renderer whose watch could not start, on a
// killed front-end.
HANDLE createRunJob() {
    return CreateJobObjectW(nullptr, nullptr);
}

// A handle of this process that the renderer inherits, and the one handle it inherits: the
// renderer watches it for this process's end instead of looking its parent up by id (ids are
// reused). Named in the renderer's environment under kFrontEndHandleVariable.
class HandedDownSelf {
  public:
    HandedDownSelf() : self_(inheritableSelf()) {
        handle_ = self_.get();
        if (handle_ == nullptr) {
            return;
        }
        SIZE_T bytes = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &bytes);
        list_.resize(bytes);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list_.data());
        if (bytes == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &bytes)) {
            return;
        }
        attributes_ = list;
        if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &handle_,
                                       sizeof(handle_), nullptr, nullptr)) {
            return;
        }
        handedDown_ = SetEnvironmentVariableW(
            kFrontEndHandleVariable,
            std::to_wstring(reinterpret_cast<std::uintptr_t>(handle_)).c_str()) != FALSE;
    }
    ~HandedDownSelf() {
        if (handedDown_) {
            SetEnvironmentVariableW(kFrontEndHandleVariable, nullptr);
        }
        if (attributes_ != nullptr) {
            DeleteProcThreadAttributeList(attributes_);
        }
    }
    HandedDownSelf(const HandedDownSelf&) = delete;
    HandedDownSelf& operator=(const HandedDownSelf&) = delete;

    // The attribute list for CreateProcessW, or null when nothing is handed down.
    LPPROC_THREAD_ATTRIBUTE_LIST attributes() const { return handedDown_ ? attributes_ : nullptr; }

  private:
    static HANDLE inheritableSelf() {
        const HANDLE me = GetCurrentProcess();
        HANDLE handle = nullptr;
        DuplicateHandle(me, me, me, &handle, SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                        TRUE, 0);
        return handle;
    }

    // Read by the renderer; the name is the renderer's.
    static constexpr const wchar_t* kFrontEndHandleVariable = L"VELMORA_FRONT_END";

    KernelHandle self_;
    HANDLE handle_ = nullptr;
    std::vector<char> list_;
    LPPROC_THREAD_ATTRIBUTE_LIST attributes_ = nullptr;
    bool handedDown_ = false;
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
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_SHOWNORMAL;
    const HandedDownSelf self;
    startup.lpAttributeList = self.attributes();
    const BOOL inherits = startup.lpAttributeList != nullptr ? TRUE : FALSE;
    const DWORD flags = CREATE_SUSPENDED | (inherits ? EXTENDED_STARTUPINFO_PRESENT : 0);
    PROCESS_INFORMATION process{};
    // Suspended until it sits in the job, so that nothing it starts escapes the job.
    if (!CreateProcessW(path.c_str(), writable.data(), nullptr, nullptr, inherits, flags, nullptr,
                        nullptr, &startup.StartupInfo, &process)) {
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

bool Win32WindowTimers::start(RunTimer timer, unsigned intervalMs) {
    return SetTimer(window_, static_cast<UINT_PTR>(timer), intervalMs, nullptr) != 0;
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
