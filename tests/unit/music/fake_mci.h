// A recording MCI transport that answers like a CD drive and the MPEGVideo device would.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "mci_transport.h"

namespace velmora::test {

struct MciCall {
    std::string command;
    std::size_t returnLength = 0;
};

class FakeMci : public MciTransport {
  public:
    // Error codes as the platform numbers them.
    static constexpr std::uint32_t kErrorUnrecognized = 261;  // MCIERR_UNRECOGNIZED_COMMAND
    static constexpr std::uint32_t kErrorOutOfRange = 265;    // MCIERR_OUTOFRANGE
    static constexpr std::uint32_t kErrorNoDevice = 275;      // MCIERR_FILE_NOT_FOUND
    static constexpr std::uint32_t kErrorNotOpen = 263;       // MCIERR_INVALID_DEVICE_NAME
    static constexpr std::uint32_t kErrorNoMedia = 274;       // MCIERR_HARDWARE-like: no disc

    // The CD drive.
    bool driveExists = true;
    bool discPresent = true;
    int trackCount = 8;
    int currentTrack = 1;
    std::string cdMode = "stopped";
    bool cdOpen = false;
    // Answer for "status cdaudio current track" when set (to feed odd texts).
    std::string currentTrackOverride;

    // The MP3 device: files it can open; its mode once open.
    std::set<std::string> playableFiles;
    bool mp3Open = false;
    std::string mp3Mode = "stopped";

    // Wave-out and the sound player.
    unsigned waveDevices = 1;
    std::vector<std::string> soundCalls;  // "play <name> <flags>" or "stop <flags>"

    bool errorTextsAvailable = true;
    std::vector<MciCall> calls;

    std::vector<std::string> commands() const {
        std::vector<std::string> result;
        for (const MciCall& call : calls) {
            result.push_back(call.command);
        }
        return result;
    }

    std::uint32_t sendString(const std::string& command, std::string& returned,
                             std::size_t returnLength) override {
        calls.push_back({command, returnLength});
        std::string answer;
        const std::uint32_t code = answerFor(command, answer);
        returned = returnLength == 0 ? std::string() : answer.substr(0, returnLength - 1);
        return code;
    }

    bool errorString(std::uint32_t code, std::string& text, std::size_t bufferLength) override {
        if (!errorTextsAvailable) {
            return false;
        }
        text = ("MCI device error " + std::to_string(code)).substr(0, bufferLength - 1);
        return true;
    }

    unsigned waveOutDeviceCount() override { return waveDevices; }

    bool playSound(const std::string* name, std::uint32_t flags) override {
        soundCalls.push_back(name ? "play " + *name + " " + std::to_string(flags)
                                  : "stop " + std::to_string(flags));
        return true;
    }

  private:
    static bool startsWith(const std::string& text, const std::string& prefix) {
        return text.compare(0, prefix.size(), prefix) == 0;
    }

    std::uint32_t answerFor(const std::string& command, std::string& answer) {
        if (command == "open cdaudio") {
            if (!driveExists) {
                return kErrorNoDevice;
            }
            cdOpen = true;
            return 0;
        }
        // The other known commands need their device open; the drive's that read or move the
        // disc need one in it.
        const bool onDisc = command == "status cdaudio current track" ||
                            command == "status cdaudio number of tracks" ||
                            startsWith(command, "status cdaudio position track ") ||
                            command == "play cdaudio" ||
                            startsWith(command, "play cdaudio from ") || command == "stop cdaudio";
        const bool onDrive = onDisc || command == "set cdaudio time format tmsf" ||
                             command == "status cdaudio mode" || command == "close cdaudio";
        const bool onMp3 = command == "play MP3Play" || command == "play MP3Play from 0" ||
                           command == "stop MP3Play" || command == "status MP3Play mode" ||
                           command == "close MP3Play";
        if ((onDrive && !cdOpen) || (onMp3 && !mp3Open)) {
            return kErrorNotOpen;
        }
        if (onDisc && !discPresent) {
            return kErrorNoMedia;
        }
        if (command == "set cdaudio time format tmsf") {
            return 0;
        }
        if (command == "status cdaudio current track") {
            answer =
                currentTrackOverride.empty() ? std::to_string(currentTrack) : currentTrackOverride;
            return 0;
        }
        if (command == "status cdaudio number of tracks") {
            answer = std::to_string(trackCount);
            return 0;
        }
        if (command == "status cdaudio mode") {
            answer = discPresent ? cdMode : "not ready";
            return 0;
        }
        if (startsWith(command, "status cdaudio position track ")) {
            const int track = std::atoi(command.substr(30).c_str());
            if (track < 1 || track > trackCount) {
                return kErrorOutOfRange;
            }
            char position[32];
            std::snprintf(position, sizeof(position), "%02d:00:00:00", track);
            answer = position;
            return 0;
        }
        if (command == "play cdaudio") {
            cdMode = "playing";
            return 0;
        }
        if (startsWith(command, "play cdaudio from ")) {
            const std::string from = command.substr(18);
            if (from.size() != 11 || from[2] != ':') {
                return kErrorOutOfRange;
            }
            currentTrack = std::atoi(from.substr(0, 2).c_str());
            cdMode = "playing";
            return 0;
        }
        if (command == "stop cdaudio") {
            cdMode = "stopped";
            return 0;
        }
        if (command == "close cdaudio") {
            cdOpen = false;
            return 0;
        }
        const std::string mp3OpenPrefix = "open \"";
        const std::string mp3OpenSuffix = "\" type MPEGVideo Alias MP3Play";
        if (startsWith(command, mp3OpenPrefix) && command.size() > mp3OpenSuffix.size() &&
            command.compare(command.size() - mp3OpenSuffix.size(), mp3OpenSuffix.size(),
                            mp3OpenSuffix) == 0) {
            const std::string file = command.substr(
                mp3OpenPrefix.size(), command.size() - mp3OpenPrefix.size() - mp3OpenSuffix.size());
            if (playableFiles.count(file) == 0) {
                return kErrorNoDevice;
            }
            mp3Open = true;
            mp3Mode = "stopped";
            return 0;
        }
        if (command == "play MP3Play" || command == "play MP3Play from 0") {
            mp3Mode = "playing";
            return 0;
        }
        if (command == "stop MP3Play") {
            mp3Mode = "stopped";
            return 0;
        }
        if (command == "status MP3Play mode") {
            answer = mp3Mode;
            return 0;
        }
        if (command == "close MP3Play") {
            mp3Open = false;
            return 0;
        }
        return kErrorUnrecognized;
    }
};

}  // namespace velmora::test
