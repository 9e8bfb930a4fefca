// The platform's media control as the music player needs it: MCI command strings, their
// error texts, the wave-out device count and the looping sound player. Texts are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velmora {

class MciTransport {
  public:
    virtual ~MciTransport() = default;
    // Sends a command string with no callback window. returnLength is the size of the
    // return buffer in characters (0: none); returned receives its text up to the first NUL.
    // The result is the device's error code, 0 on success.
    virtual std::uint32_t sendString(const std::string& command, std::string& returned,
                                     std::size_t returnLength) = 0;
    // The error text of a code into a buffer of bufferLength characters; false if none.
    virtual bool errorString(std::uint32_t code, std::string& text, std::size_t bufferLength) = 0;
    virtual unsigned waveOutDeviceCount() = 0;
    // Plays a sound file by name (nullptr: stops the sound playing); flags as the platform's.
    virtual bool playSound(const std::string* name, std::uint32_t flags) = 0;
};

}  // namespace velmora
