// Which keys are down, by Windows virtual-key code: written by the window, read by the loop.
#pragma once

#include <array>
#include <cstdint>

class KeyTable {
  public:
    static constexpr uint32_t kEscape = 27;

    // Codes above 255 are outside the table and change nothing.
    void press(uint32_t virtualKey) { set(virtualKey, 1); }
    void release(uint32_t virtualKey) { set(virtualKey, 0); }
    bool isDown(uint32_t virtualKey) const {
        return virtualKey < state_.size() && state_[virtualKey] != 0;
    }

  private:
    void set(uint32_t virtualKey, uint8_t value) {
        if (virtualKey < state_.size()) {
            state_[virtualKey] = value;
        }
    }

    std::array<uint8_t, 256> state_{};
};
