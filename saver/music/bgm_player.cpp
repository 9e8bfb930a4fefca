// Velmora_BGM: see bgm_player.h.
#include "bgm_player.h"

#include <optional>

#include "numeric_text.h"

namespace velmora {
namespace {

// Sizes of the return buffers, in characters.
constexpr std::size_t kResultBufferLength = 512;
constexpr std::size_t kErrorBufferLength = 256;
constexpr std::size_t kCdModeOffered = 255;  // of a 256-character buffer
constexpr std::size_t kMp3ModeBufferLength = 30;

std::string upperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

bool containsErr(const std::string& text) {
    return upperAscii(text).find("ERR") != std::string::npos;
}

std::string firstSeven(const std::string& text) {
    return text.substr(0, 7);
}

}  // namespace

std::int32_t BgmPlayer::mciSend(const std::string& command, std::string& result) {
    if (command.empty()) {
        result = kMciEmptyCommand;
        return -1;
    }
    std::string returned;
    const std::uint32_t code = mci_.sendString(command, returned, kResultBufferLength);
    if (code != 0) {
        std::string errorText;
        result =
            mci_.errorString(code, errorText, kErrorBufferLength) ? errorText : kMciNoErrorText;
        return static_cast<std::int32_t>(code);
    }
    result = returned;
    return 0;
}

std::string BgmPlayer::mciStatus(const std::string& command) {
    const std::int32_t code = mciSend(command, mciResult_);
    if (code != 0) {
        return "Error:" + std::to_string(code);
    }
    return mciResult_;
}

std::int32_t BgmPlayer::mciPlay(const std::string& device, const std::string& from,
                                const std::string& to) {
    std::string command = "play " + device;
    if (!from.empty()) {
        command += " from " + from;
    }
    if (!to.empty()) {
        command += " to " + to;
    }
    return mciSend(command, mciResult_);
}

void BgmPlayer::sendWithoutReturn(const std::string& command) {
    std::string ignored;
    mci_.sendString(command, ignored, 0);
}

void BgmPlayer::cdOpen() {
    sendWithoutReturn("open cdaudio");
    sendWithoutReturn("set cdaudio time format tmsf");
}

void BgmPlayer::cdPoll() {
    cdOk_ = true;
    const std::string current = mciStatus("status cdaudio current track");
    if (containsErr(current)) {
        cdOk_ = false;
        return;
    }
    const std::string tracks = mciStatus("status cdaudio number of tracks");
    if (containsErr(tracks)) {
        cdOk_ = false;
        return;
    }
    std::string modeText;
    mci_.sendString("status cdaudio mode", modeText, kCdModeOffered);
    const std::string mode = firstSeven(modeText);
    if (settings_.repeat != 0) {
        // The track text is taken as a number whatever the mode; one that is no number is
        // a failure of the poll.
        const std::optional<double> track = parseWholeNumber(current);
        if (!track) {
            cdOk_ = false;
            return;
        }
        if (mode == "stopped" || *track != static_cast<double>(settings_.repeat)) {
            const std::string start =
                mciStatus("status cdaudio position track " + std::to_string(settings_.repeat));
            mciPlay("cdaudio", start, "");
        }
    } else if (mode == "stopped") {
        mciPlay("cdaudio", "", "");
    }
}

void BgmPlayer::cdClose() {
    sendWithoutReturn("stop cdaudio");
    sendWithoutReturn("close cdaudio");
}

void BgmPlayer::mp3Open() {
    std::string ignored;
    const std::uint32_t code =
        mci_.sendString("open \"" + settings_.file + "\" type MPEGVideo Alias MP3Play", ignored, 0);
    if (code == 0) {
        sendWithoutReturn("play MP3Play");
    }
}

bool BgmPlayer::mp3IsPlaying() {
    std::string modeText;
    mci_.sendString("status MP3Play mode", modeText, kMp3ModeBufferLength);
    return firstSeven(modeText) == "playing";
}

void BgmPlayer::mp3Loop() {
    if (!mp3IsPlaying()) {
        sendWithoutReturn("stop MP3Play");
        sendWithoutReturn("play MP3Play from 0");
    }
}

void BgmPlayer::mp3Close() {
    sendWithoutReturn("stop MP3Play");
    sendWithoutReturn("close MP3Play");
}

void BgmPlayer::wavPlay() {
    if (mci_.waveOutDeviceCount() > 0) {
        mci_.playSound(&settings_.file, kSoundFileAsyncLoop);
    }
}

void BgmPlayer::wavStop() {
    mci_.playSound(nullptr, 0);
}

}  // namespace velmora
