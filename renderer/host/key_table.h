// Which keys are down, by Windows virtual-key code: written by the window, read by the loop.
#pragma once

#include <array>
#include <cstdint>

class KeyTable {
  public:
    static constexpr uint32_t kEscape = 27;

    // Codes above 255 are outside the table and change nothing.
    void press(uint32_t virtualKey) {
        set(state_, virtualKey, 1);
        set(downDuringDrain_, virtualKey, 1);
    }
    void release(uint32_t virtualKey) { set(state_, virtualKey, 0); }
    bool isDown(uint32_t virtualKey) const { return read(state_, virtualKey); }

    // A quick tap's press and release can both be taken in one drain of the message queue:
    // the loop asks whether the key was down at any moment of the drain, not only after it.
    void drainStarting() { downDuringDrain_ = state_; }
    bool wasDownDuringDrain(uint32_t virtualKey) const {
        return read(downDuringDrain_, virtualKey);
    }

  private:
    using Entries = std::array<uint8_t, 256>;

    static void set(Entries& entries, uint32_t virtualKey, uint8_t value) {
        if (virtualKey < entries.size()) {
            entries[virtualKey] = value;
        }
    }
    static bool read(const Entries& entries, uint32_t virtualKey) {
        return virtualKey < entries.size() && entries[virtualKey] != 0;
    }

    Entries state_{};
    Entries downDuringDrain_{};  // set by a press, reset to state_ when a drain starts
};
