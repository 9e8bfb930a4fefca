// Velmora_BGM's Windows side: MCI command strings, wave-out and PlaySound through winmm.
#pragma once

#include "mci_transport.h"

namespace velmora {

class Win32MciTransport : public MciTransport {
  public:
    std::uint32_t sendString(const std::string& command, std::string& returned,
                             std::size_t returnLength) override;
    bool errorString(std::uint32_t code, std::string& text, std::size_t bufferLength) override;
    unsigned waveOutDeviceCount() override;
    bool playSound(const std::string* name, std::uint32_t flags) override;
};

}  // namespace velmora
