// Whether anyone can see the renderer's frames: the display is on, our session is the one
// on screen, and the window is shown. The loop draws only while all three say so; the
// window system's adapter reports the changes in these terms.
#pragma once

#include <cstdint>

class Visibility {
  public:
    // The display's power state as the system reports it: 0 off, 1 on, 2 dimmed (still
    // lit, so still seen). Any other value says nothing and changes nothing.
    void displayPowerChanged(uint32_t state);
    // A session change code of the system's session notices: a console or remote
    // connection and an unlock show our session; a disconnection and a lock take it off
    // the screen. Log-on, log-off and the other codes change nothing.
    void sessionChanged(uint32_t code);
    void setWindowShown(bool shown) { windowShown_ = shown; }

    bool seen() const { return displayOn_ && sessionShown_ && windowShown_; }

  private:
    bool displayOn_ = true;
    bool sessionShown_ = true;
    bool windowShown_ = true;  // false while minimised, unmapped or wholly covered
};
