// The system's notices that say whether the renderer can be seen: the display's power state
// (of our own session's display where the system knows it, else the console's) and our
// session's changes (locked, switched away, disconnected), and the session's state at the
// start. All are looked up at run time, so that a system without them runs as if always seen.
#pragma once

#include <windows.h>

#include "host/visibility.h"

class VisibilityNotices {
  public:
    VisibilityNotices() = default;
    ~VisibilityNotices() { release(); }
    VisibilityNotices(const VisibilityNotices&) = delete;
    VisibilityNotices& operator=(const VisibilityNotices&) = delete;

    // Asks for both notices to the window; the session's state as it is now.
    SessionReport attach(HWND window);
    // Before the window is destroyed: the session notices are bound to it.
    void release();

    // WM_POWERBROADCAST: true when it was the display's state.
    static bool readDisplayState(WPARAM event, LPARAM data, uint32_t& state);

  private:
    SessionReport querySession();

    HWND window_ = nullptr;
    HMODULE sessionLibrary_ = nullptr;
    HANDLE powerNotice_ = nullptr;  // HPOWERNOTIFY
    bool sessionNotices_ = false;
};
