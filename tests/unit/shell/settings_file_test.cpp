// Velmora.ini: loading the shared settings, FileExists and FolderOf.
#include <gtest/gtest.h>

#include "fake_shell.h"
#include "settings_keys.h"
#include "settings_file.h"

namespace velmora {
namespace {

using test::FakeCodec;
using test::FakeFileSystem;

const std::string kFolder = "C:\\Saver";
const std::string kIni = "C:\\Saver\\Velmora.ini";

class LoadSettingsTest : public ::testing::Test {
  protected:
    FakeFileSystem files;
    FakeCodec codec;
    BgmSettings settings;

    void writeValues(const std::string& kind, const std::string& repeat, const std::string& file) {
        std::string text = "[Section]\r\n";
        text += test::kSjisKind + "=" + kind + "\r\n";
        text += test::kSjisRepeat + "=" + repeat + "\r\n";
        text += test::kSjisFile + "=" + file + "\r\n";
        files.files[kIni] = text;
    }
    void load() { loadSettings(files, codec, kFolder, settings); }
};

TEST_F(LoadSettingsTest, NoFileGivesTheDefaults) {
    settings.kind = 2;
    settings.file = "stale";
    load();
    EXPECT_EQ(settings.kind, 0);
    EXPECT_EQ(settings.repeat, 0);
    EXPECT_EQ(settings.file, "");
    EXPECT_EQ(settings.folder, kFolder);
}

TEST_F(LoadSettingsTest, ReadsTheDialogsValues) {
    files.files["C:\\Music\\a.mp3"] = "mp3";
    writeValues(" 2", " 3", "C:\\Music\\a.mp3");
    load();
    EXPECT_EQ(settings.kind, 2);
    EXPECT_EQ(settings.repeat, 3);
    EXPECT_EQ(settings.file, "C:\\Music\\a.mp3");
    EXPECT_EQ(settings.folder, "C:\\Music");
}

TEST_F(LoadSettingsTest, NumbersAreRoundedDownAndBadOnesGiveZero) {
    const std::pair<const char*, std::int16_t> cases[] = {
        {"abc", 0}, {"2.9", 2},   {"-0.5", -1},       {"", 0},
        {"-1", -1}, {"40000", 0}, {"-32768", -32768}, {"1e2", 100}};
    for (const auto& [text, value] : cases) {
        writeValues("1", text, "");
        load();
        EXPECT_EQ(settings.repeat, value) << text;
        EXPECT_EQ(settings.kind, 1);
    }
}

// A file that is not there, a name ending in a backslash, and a path longer than 255 bytes
// (cut by the reader, and then missing).
TEST_F(LoadSettingsTest, MissingMusicFileIsForgottenAndTheFileKindFallsBack) {
    const std::string longPath = "C:\\" + std::string(300, 'a') + ".mp3";
    files.files[longPath] = "mp3";
    for (const std::string& path :
         {std::string("C:\\Music\\gone.mp3"), std::string("C:\\Music\\"), longPath}) {
        writeValues(" 2", " 0", path);
        load();
        EXPECT_EQ(settings.kind, 0) << path;
        EXPECT_EQ(settings.file, "") << path;
        EXPECT_EQ(settings.folder, kFolder) << path;
    }
    EXPECT_EQ(readIni(files, kSettingsSection, test::kSjisFile, kIni).size(), 255u);
    EXPECT_EQ(files.writes, 0);
}

TEST_F(LoadSettingsTest, MusicPathIsReadInTheAnsiCodePage) {
    const std::string utf8Path = "C:\\M\xC3\xBCsik\\a.wav";  // Müsik, ü is 0xFC in Latin-1
    files.files[utf8Path] = "wav";
    writeValues(" 2", " 0", "C:\\M\xFCsik\\a.wav");
    load();
    EXPECT_EQ(settings.file, utf8Path);
}

TEST_F(LoadSettingsTest, BadFilesGiveTheDefaults) {
    std::string garbage;
    for (int i = 0; i < 5000; ++i) {
        garbage += static_cast<char>((i * 7919) & 0xFF);
    }
    const std::string truncated = "[Section]\r\n" + test::kSjisKind.substr(0, 5);
    const std::string noSection = test::kSjisKind + "=2\r\n";
    const std::string huge =
        std::string(kSettingsReadLimit + 10, 'z') + "\n[Section]\n" + test::kSjisKind + "=1\n";
    for (const std::string& text : {garbage, truncated, noSection, huge}) {
        files.files[kIni] = text;
        load();
        EXPECT_EQ(settings.kind, 0);
        EXPECT_EQ(settings.repeat, 0);
        EXPECT_EQ(settings.file, "");
    }
    EXPECT_EQ(files.writes, 0);
}

TEST(ReadIni, ReadsTheDialogsNumberForm) {
    FakeFileSystem files;
    files.files[kIni] = "[Section]\r\n" + test::kSjisKind + "= 2\r\n";
    EXPECT_EQ(readIni(files, kSettingsSection, test::kSjisKind, kIni), "2");
    EXPECT_EQ(formatSettingsNumber(2), " 2");
    EXPECT_EQ(formatSettingsNumber(-1), "-1");
    EXPECT_EQ(formatSettingsNumber(0), " 0");
}

TEST(FileExists, DropsOneTrailingBackslash) {
    FakeFileSystem files;
    files.files["C:\\a.mp3"] = "x";
    EXPECT_TRUE(fileExists(files, "C:\\a.mp3"));
    EXPECT_TRUE(fileExists(files, "C:\\a.mp3\\"));
    EXPECT_FALSE(fileExists(files, "C:\\a.mp3\\\\"));
    EXPECT_FALSE(fileExists(files, ""));
    files.locked.insert("C:\\a.mp3");
    EXPECT_FALSE(fileExists(files, "C:\\a.mp3"));
}

TEST(FolderOf, TakesThePathUpToTheLastColonOrBackslash) {
    EXPECT_EQ(folderOf("C:\\Music\\a.mp3"), "C:\\Music");
    EXPECT_EQ(folderOf("C:\\a.mp3"), "C:");
    EXPECT_EQ(folderOf("D:a.mp3"), "D:");
    EXPECT_EQ(folderOf("a.mp3"), "");
    EXPECT_EQ(folderOf("\\\\server\\share\\a.wav"), "\\\\server\\share");
}

}  // namespace
}  // namespace velmora
