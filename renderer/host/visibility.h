// Whether anyone can see the renderer's frames: the display is on, our session is the one
// on screen (unlocked and connected), and the window is shown. The loop draws only while all
// say so; the window system's adapter reports the state at the start and the changes after.
#pragma once

#include <cstdint>

// The session as the system reports it when the renderer starts: its lock flag and its
// connection state, in the system's own codes.
struct SessionReport {
    int32_t lockFlag = -1;      // 0 locked, 1 unlocked, anything else unknown
    int32_t connectState = 0;   // 4 disconnected; any other state has a display
    bool lockFlagInverted = false;  // the one system version that reports the flag inverted
};

class Visibility {
  public:
    // The display's power state as the system reports it: 0 off, 1 on, 2 dimmed (still
    // lit, so still seen). Any other value says nothing and changes nothing.
    void displayPowerChanged(uint32_t state);
    // The session's state before any change is reported: a session locked or disconnected
    // before the renderer started is unseen from the first frame. An unknown lock flag
    // changes nothing.
    void sessionStarted(const SessionReport& report);
    // A session change code of the system's session notices. Lock and unlock, connect and
    // disconnect are two separate states: a connection does not undo a lock, nor an unlock
    // a disconnection. Log-on, log-off and the other codes change nothing.
    void sessionChanged(uint32_t code);
    void setWindowShown(bool shown) { windowShown_ = shown; }

    bool seen() const { return displayOn_ && !locked_ && connected_ && windowShown_; }

  private:
    bool displayOn_ = true;
    bool locked_ = false;
    bool connected_ = true;
    bool windowShown_ = true;  // false while minimised, unmapped or wholly covered
};

// What the system of this version offers, by its major and minor version numbers: the
// display state of the process's own session (Windows 8.1, 6.3, and later; before it only
// the console's display state), and the lock flag reported inverted (Windows 7 and Server
// 2008 R2, 6.1).
bool hasSessionDisplayState(uint32_t major, uint32_t minor);
bool reportsLockFlagInverted(uint32_t major, uint32_t minor);
