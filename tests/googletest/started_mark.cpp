// Leaves the mark run_under_wine.sh looks for: this test program has started. It is made
// before any other static initialiser runs, so that a crash in one of those, silent or not,
// is a failure of a program that started, never a start that Wine could not make.
#include <windows.h>

namespace {

__attribute__((constructor(101))) void markStarted() {
    char path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("VELMORA_STARTED_MARK", path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return;  // not run by the script
    }
    const HANDLE mark =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark != INVALID_HANDLE_VALUE) {
        CloseHandle(mark);
    }
}

}  // namespace
