// Velmora_BGM: the background music of a run (audio CD, MP3 or WAV file) through MCI
// command strings, driven by the run form's start, stop and keep-playing calls.
#pragma once

#include <cstdint>
#include <string>

#include "bgm_settings.h"
#include "mci_transport.h"

namespace velmora {

// Fixed texts left in MciResult.
inline constexpr const char* kMciNoErrorText = "Error (文字列が取れません)";
inline constexpr const char* kMciEmptyCommand = "コマンド文字列が指定されていません";

// PlaySound flags: asynchronous (0x1), no default sound when the file cannot be played
// (0x2), looping (0x8), the name is a file name and never a sound alias (0x20000).
constexpr std::uint32_t kSoundFileAsyncLoop = 0x0001 | 0x0002 | 0x0008 | 0x20000;

class BgmPlayer {
  public:
    BgmPlayer(MciTransport& mci, const BgmSettings& settings) : mci_(mci), settings_(settings) {}

    // Sends one command; result receives the returned text, the error text or a fixed text.
    // Returns the device's code, -1 for an empty command.
    std::int32_t mciSend(const std::string& command, std::string& result);
    // The returned text of a status command, or "Error:" and the code.
    std::string mciStatus(const std::string& command);
    // "play device [from from] [to to]"; the code of the send.
    std::int32_t mciPlay(const std::string& device, const std::string& from, const std::string& to);

    void cdOpen();
    // Keeps the disc playing (the chosen track, or the whole disc); clears cdOk on an error.
    void cdPoll();
    void cdClose();

    void mp3Open();
    bool mp3IsPlaying();
    // Restarts the file from its beginning when it has stopped.
    void mp3Loop();
    void mp3Close();

    void wavPlay();
    void wavStop();

    bool cdOk() const { return cdOk_; }
    const std::string& mciResult() const { return mciResult_; }

  private:
    void sendWithoutReturn(const std::string& command);

    MciTransport& mci_;
    const BgmSettings& settings_;
    std::string mciResult_;
    bool cdOk_ = false;
};

}  // namespace velmora
