// Velmora_BGM against a fake MCI device: the command strings, their order and the state
// each routine leaves.
#include <gtest/gtest.h>

#include "bgm_player.h"
#include "fake_mci.h"

namespace velmora {
namespace {

using test::FakeMci;
using Commands = std::vector<std::string>;

class BgmPlayerTest : public ::testing::Test {
  protected:
    FakeMci mci;
    BgmSettings settings;
    BgmPlayer player{mci, settings};

    void openCd() {
        player.cdOpen();
        mci.calls.clear();
    }
};

TEST_F(BgmPlayerTest, EmptyCommandReturnsMinusOneWithTheFixedText) {
    std::string result;
    EXPECT_EQ(player.mciSend("", result), -1);
    EXPECT_EQ(result, "コマンド文字列が指定されていません");
    EXPECT_TRUE(mci.calls.empty());
}

TEST_F(BgmPlayerTest, SendOffersA512CharacterBufferAndReturnsTheText) {
    openCd();
    std::string result;
    EXPECT_EQ(player.mciSend("status cdaudio number of tracks", result), 0);
    EXPECT_EQ(result, "8");
    EXPECT_EQ(mci.calls.back().returnLength, 512u);
}

TEST_F(BgmPlayerTest, FailedSendGivesTheErrorTextOrTheFixedTextWhenThereIsNone) {
    std::string result;
    EXPECT_EQ(player.mciSend("status cdaudio mode", result), 263);
    EXPECT_EQ(result, "MCI device error 263");
    mci.errorTextsAvailable = false;
    EXPECT_EQ(player.mciSend("status cdaudio mode", result), 263);
    EXPECT_EQ(result, "Error (文字列が取れません)");
}

TEST_F(BgmPlayerTest, StatusOfAFailedCommandIsErrorAndTheCodeWithoutABlank) {
    EXPECT_EQ(player.mciStatus("status cdaudio current track"), "Error:263");
}

TEST_F(BgmPlayerTest, PlayCommandTakesFromAndToOnlyWhenGiven) {
    struct Case {
        const char* from;
        const char* to;
        const char* command;
    };
    const Case cases[] = {
        {"01:00:00:00", "02:00:00:00", "play cdaudio from 01:00:00:00 to 02:00:00:00"},
        {"01:00:00:00", "", "play cdaudio from 01:00:00:00"},
        {"", "02:00:00:00", "play cdaudio to 02:00:00:00"},
        {"", "", "play cdaudio"},
    };
    for (const Case& c : cases) {
        mci.calls.clear();
        player.mciPlay("cdaudio", c.from, c.to);
        ASSERT_EQ(mci.calls.size(), 1u);
        EXPECT_EQ(mci.calls[0].command, c.command);
    }
}

TEST_F(BgmPlayerTest, CdOpenOpensAndSetsTheTimeFormatWithoutPlaying) {
    player.cdOpen();
    EXPECT_EQ(mci.commands(), (Commands{"open cdaudio", "set cdaudio time format tmsf"}));
    EXPECT_EQ(mci.calls[0].returnLength, 0u);
    EXPECT_EQ(mci.cdMode, "stopped");
}

TEST_F(BgmPlayerTest, WholeDiscStoppedIsPlayedOnWithoutAPosition) {
    openCd();
    player.cdPoll();
    EXPECT_TRUE(player.cdOk());
    EXPECT_EQ(mci.commands(),
              (Commands{"status cdaudio current track", "status cdaudio number of tracks",
                        "status cdaudio mode", "play cdaudio"}));
    EXPECT_EQ(mci.calls[2].returnLength, 255u);
    EXPECT_EQ(mci.cdMode, "playing");
}

TEST_F(BgmPlayerTest, WholeDiscPlayingOrPausedIsLeftAlone) {
    for (const char* mode : {"playing", "paused"}) {
        openCd();
        mci.cdMode = mode;
        player.cdPoll();
        EXPECT_TRUE(player.cdOk());
        EXPECT_EQ(mci.calls.size(), 3u) << mode;
        EXPECT_EQ(mci.cdMode, mode);
    }
}

TEST_F(BgmPlayerTest, RepeatTrackIsStartedWhenTheDriveIsOnAnotherTrack) {
    settings.repeat = 3;
    openCd();
    mci.cdMode = "playing";
    mci.currentTrack = 5;
    player.cdPoll();
    EXPECT_EQ(mci.commands(),
              (Commands{"status cdaudio current track", "status cdaudio number of tracks",
                        "status cdaudio mode", "status cdaudio position track 3",
                        "play cdaudio from 03:00:00:00"}));
    EXPECT_EQ(mci.currentTrack, 3);
}

TEST_F(BgmPlayerTest, RepeatTrackIsRestartedWhenStoppedAndLeftAloneWhilePlayingIt) {
    settings.repeat = 3;
    openCd();
    mci.currentTrack = 3;
    player.cdPoll();  // stopped on the chosen track: start it again
    EXPECT_EQ(mci.commands().back(), "play cdaudio from 03:00:00:00");
    mci.calls.clear();
    player.cdPoll();  // playing the chosen track
    EXPECT_EQ(mci.calls.size(), 3u);
}

TEST_F(BgmPlayerTest, RepeatTrackBeyondTheDiscPlaysTheErrorTextAndKeepsPolling) {
    settings.repeat = 12;
    openCd();
    player.cdPoll();
    EXPECT_TRUE(player.cdOk());
    EXPECT_EQ(mci.commands().back(), "play cdaudio from Error:265");
    EXPECT_EQ(mci.cdMode, "stopped");
}

TEST_F(BgmPlayerTest, NoDriveLeavesTheDeviceClosedAndTheFirstPollFails) {
    mci.driveExists = false;
    player.cdOpen();
    player.cdPoll();
    EXPECT_FALSE(player.cdOk());
}

TEST_F(BgmPlayerTest, TrackTextThatIsNoNumberFailsThePollWithARepeatTrack) {
    settings.repeat = 2;
    openCd();
    mci.currentTrackOverride = "two";
    player.cdPoll();
    EXPECT_FALSE(player.cdOk());
    EXPECT_EQ(mci.calls.size(), 3u);
}

TEST_F(BgmPlayerTest, NoDiscClearsCdOkAtTheFirstQueryAndEachPollSetsItAgain) {
    mci.discPresent = false;
    openCd();
    player.cdPoll();
    EXPECT_FALSE(player.cdOk());
    EXPECT_EQ(mci.commands(), (Commands{"status cdaudio current track"}));
    mci.discPresent = true;
    player.cdPoll();
    EXPECT_TRUE(player.cdOk());
}

TEST_F(BgmPlayerTest, Mp3OpenQuotesThePathAndPlaysOnlyWhenOpened) {
    settings.file = "C:\\My Music\\song one.mp3";
    mci.playableFiles.insert(settings.file);
    player.mp3Open();
    EXPECT_EQ(mci.commands(),
              (Commands{"open \"C:\\My Music\\song one.mp3\" type MPEGVideo Alias MP3Play",
                        "play MP3Play"}));
    EXPECT_EQ(mci.mp3Mode, "playing");

    mci.calls.clear();
    settings.file = "C:\\missing.mp3";
    player.mp3Close();
    mci.calls.clear();
    player.mp3Open();
    EXPECT_EQ(mci.calls.size(), 1u);
}

TEST_F(BgmPlayerTest, Mp3LoopRestartsFromZeroOnlyWhenNotPlaying) {
    settings.file = "a.mp3";
    mci.playableFiles.insert(settings.file);
    player.mp3Open();
    mci.calls.clear();
    player.mp3Loop();
    EXPECT_EQ(mci.commands(), (Commands{"status MP3Play mode"}));
    EXPECT_EQ(mci.calls[0].returnLength, 30u);

    mci.mp3Mode = "stopped";  // the file has played to its end
    mci.calls.clear();
    player.mp3Loop();
    EXPECT_EQ(mci.commands(),
              (Commands{"status MP3Play mode", "stop MP3Play", "play MP3Play from 0"}));
    EXPECT_EQ(mci.mp3Mode, "playing");
}

TEST_F(BgmPlayerTest, Mp3LoopOfAFileThatNeverOpenedSendsCommandsThatFailQuietly) {
    settings.file = "broken.mp3";
    player.mp3Open();
    mci.calls.clear();
    player.mp3Loop();
    EXPECT_EQ(mci.commands(),
              (Commands{"status MP3Play mode", "stop MP3Play", "play MP3Play from 0"}));
}

TEST_F(BgmPlayerTest, WavLoopsAsAFileNameWithoutTheDefaultSound) {
    settings.file = "C:\\a b.wav";
    player.wavPlay();
    player.wavStop();
    // 131083 = SND_FILENAME | SND_LOOP | SND_NODEFAULT | SND_ASYNC: never an alias, never a beep.
    EXPECT_EQ(mci.soundCalls, (Commands{"play C:\\a b.wav 131083", "stop 0"}));
}

TEST_F(BgmPlayerTest, WavWithoutAWaveDevicePlaysNothing) {
    mci.waveDevices = 0;
    settings.file = "a.wav";
    player.wavPlay();
    EXPECT_TRUE(mci.soundCalls.empty());
}

}  // namespace
}  // namespace velmora
