// Storing the dialog's choice: all or nothing, beside the program or per user, the file's
// encoding kept, and the music path in the forms the file can hold; and loading it back.
#include <gtest/gtest.h>

#include "fake_shell.h"
#include "profile_text.h"
#include "settings_store.h"

namespace velmora {
namespace {

using test::FakeCodec;
using test::FakeFileSystem;

const std::string kFolder = "C:\\Saver";
const std::string kIni = "C:\\Saver\\Velmora.ini";
const std::string kTemporary = "C:\\Saver\\Velmora.ini.tmp";
const std::string kUserFolder = "C:\\Users\\u\\AppData\\Roaming\\Velmora";
const std::string kUserIni = kUserFolder + "\\Velmora.ini";
const std::string kUserTemporary = kUserIni + ".tmp";
// A file another program wrote: other sections, a comment, LF line ends, no final break.
const std::string kExisting =
    "; hand-edited\n[Other]\nx=1\n[Section]\nBGM\xCC\xA7\xB2\xD9=C:\\old.wav\n[Tail]\ny=2";

class StoreTest : public ::testing::Test {
  protected:
    FakeFileSystem files;
    FakeCodec codec;
    BgmSettings loaded;

    StoreResult store(int16_t kind, int16_t repeat, const std::string& file) {
        return storeSettings(files, codec, kFolder, SettingsChoice{kind, repeat, file});
    }
    void load() { loadSettings(files, codec, kFolder, loaded); }
    // Everything but the failing target stays as it was, and no temporary file is left.
    void expectNothingChanged(const std::map<std::string, std::string>& before) {
        EXPECT_EQ(files.files, before);
        EXPECT_FALSE(files.files.count(kTemporary));
        EXPECT_FALSE(files.files.count(kUserTemporary));
    }
};

TEST_F(StoreTest, BytesEqualThreeSingleWritesInTheDialogsOrder) {
    for (const std::string& start : {std::string(), kExisting}) {
        files.files.clear();
        if (!start.empty()) {
            files.files[kIni] = start;
        }
        files.files["C:\\Music\\a b.mp3"] = "mp3";
        EXPECT_EQ(store(2, -1, "C:\\Music\\a b.mp3").place, StorePlace::BesideProgram);
        std::string expected = writeProfileValue(start, kSettingsSection, kKeyBgmKind, " 2");
        expected = writeProfileValue(expected, kSettingsSection, kKeyBgmRepeat, "-1");
        expected = writeProfileValue(expected, kSettingsSection, kKeyBgmFile, "C:\\Music\\a b.mp3");
        EXPECT_EQ(files.files.at(kIni), expected);
        EXPECT_FALSE(files.files.count(kTemporary));
    }
    EXPECT_EQ(files.files.at(kIni).substr(0, 30), "; hand-edited\n[Other]\nx=1\n[Sec");
}

TEST_F(StoreTest, FailureAtAnyStepBesideTheProgramLeavesItsBytesAndFallsBackPerUser) {
    enum Step { Write, Flush, Replace, Read };
    for (Step step : {Write, Flush, Replace, Read}) {
        files = FakeFileSystem();
        files.files[kIni] = kExisting;
        switch (step) {
            case Write:
                files.failWrite.insert(kTemporary);
                break;
            case Flush:
                files.failFlush.insert(kTemporary);
                break;
            case Replace:
                files.failReplace.insert(kIni);
                break;
            case Read:
                files.locked.insert(kIni);
                break;
        }
        const StoreResult result = store(1, 4, "");
        EXPECT_EQ(result.place, StorePlace::PerUser) << "step " << step;
        EXPECT_EQ(files.files.at(kIni), kExisting) << "step " << step;
        EXPECT_FALSE(files.files.count(kTemporary)) << "step " << step;
        EXPECT_FALSE(files.files.count(kUserTemporary)) << "step " << step;
        EXPECT_NE(files.files.at(kUserIni).find("BGM\xD8\xCB\xDF\xB0\xC4= 4"), std::string::npos);
        // The next load reads the per-user file first.
        files.locked.erase(kIni);
        load();
        EXPECT_EQ(loaded.kind, 1) << "step " << step;
        EXPECT_EQ(loaded.repeat, 4) << "step " << step;
    }
}

TEST_F(StoreTest, BothPlacesFailingIsReportedAndChangesNothing) {
    files.files[kIni] = kExisting;
    files.files[kUserIni] = "[Section]\r\nBGM\x8B\xE6\x95\xAA= 1\r\n";
    files.folders.insert(kUserFolder);
    files.failReplace = {kIni, kUserIni};
    const auto before = files.files;
    const StoreResult result = store(2, 0, "");
    EXPECT_EQ(result.place, StorePlace::Nowhere);
    EXPECT_EQ(result.programFile, kIni);
    EXPECT_EQ(result.userFile, kUserIni);
    expectNothingChanged(before);

    // Unreadable beside the program, the per-user folder blocked by a file of its name.
    files = FakeFileSystem();
    files.folders.insert(kIni);  // a folder named Velmora.ini
    files.files[kUserFolder] = "not a folder";
    const auto blocked = files.files;
    EXPECT_EQ(store(2, 0, "").place, StorePlace::Nowhere);
    expectNothingChanged(blocked);

    // No per-user folder known at all.
    files = FakeFileSystem();
    files.userFolder.clear();
    files.failWrite.insert(kTemporary);
    const StoreResult alone = store(0, 0, "");
    EXPECT_EQ(alone.place, StorePlace::Nowhere);
    EXPECT_EQ(alone.userFile, "");
    expectNothingChanged({});
}

TEST_F(StoreTest, StoreBesideTheProgramRemovesAStalePerUserCopy) {
    files.files[kUserIni] = "[Section]\r\nBGM\x8B\xE6\x95\xAA= 1\r\n";
    EXPECT_EQ(store(0, 3, "").place, StorePlace::BesideProgram);
    EXPECT_FALSE(files.files.count(kUserIni));
    load();
    EXPECT_EQ(loaded.kind, 0);
    EXPECT_EQ(loaded.repeat, 3);

    // A copy that cannot be removed gets the same choice, so that loads still agree.
    files.files[kUserIni] = "[Section]\r\nBGM\x8B\xE6\x95\xAA= 1\r\n";
    files.folders.insert(kUserFolder);
    files.failRemove.insert(kUserIni);
    EXPECT_EQ(store(0, 5, "").place, StorePlace::PerUser);
    load();
    EXPECT_EQ(loaded.kind, 0);
    EXPECT_EQ(loaded.repeat, 5);
}

TEST_F(StoreTest, AFileLargerThanTheReadLimitIsKeptWholeOnStore) {
    const std::string big = "[Section]\r\n" + std::string(kSettingsReadLimit + 100, ';') + "\r\n";
    files.files[kIni] = big;
    EXPECT_EQ(store(1, 0, "").place, StorePlace::BesideProgram);
    const std::string& written = files.files.at(kIni);
    EXPECT_GT(written.size(), big.size());
    EXPECT_EQ(written.substr(0, big.size() - 2), big.substr(0, big.size() - 2));
}

TEST_F(StoreTest, Utf16FileIsReadAsUtf16AndStaysUtf16) {
    // "BGM区分= 2", "BGMﾘﾋﾟｰﾄ= 3", a path with a note sign, as a Unicode editor saves them.
    const std::string path = "C:\\Music\\\u266A\\song.wav";
    files.files[path] = "wav";
    const std::string text =
        "[Section]\r\nBGM\u533A\u5206= 2\r\nBGM\uFF98\uFF8B\uFF9F\uFF70\uFF84= 3\r\n"
        "BGM\uFF8C\uFF67\uFF72\uFF99=" +
        path + "\r\n";
    files.files[kIni] = "\xFF\xFE" + codec.utf8ToUtf16le(text);
    load();
    EXPECT_EQ(loaded.kind, 2);
    EXPECT_EQ(loaded.repeat, 3);
    EXPECT_EQ(loaded.file, path);

    EXPECT_EQ(store(2, 7, path).place, StorePlace::BesideProgram);
    const std::string& written = files.files.at(kIni);
    ASSERT_EQ(written.substr(0, 2), "\xFF\xFE");
    const std::string back = codec.utf16leToUtf8(written.substr(2));
    EXPECT_NE(back.find("BGM\uFF98\uFF8B\uFF9F\uFF70\uFF84= 7\r\n"), std::string::npos) << back;
    EXPECT_EQ(back.find("BGM\xD8"), std::string::npos) << "Shift-JIS bytes in a UTF-16 file";
    EXPECT_EQ(back.find("\xD8\xCB"), std::string::npos);
    EXPECT_EQ(written.size() % 2, 0u);
    loaded = BgmSettings();
    load();
    EXPECT_EQ(loaded.kind, 2);
    EXPECT_EQ(loaded.repeat, 7);
    EXPECT_EQ(loaded.file, path);
}

TEST_F(StoreTest, PathRulesForTheAnsiCodePage) {
    struct Case {
        const char* label;
        std::string path;
        std::optional<std::string> shortName;
        std::string legacyAnsi;           // "BGMﾌｧｲﾙ" in the file
        std::optional<std::string> full;  // "BGMFileUTF8"
    };
    const std::string note = "C:\\M\u00FCsik\\\u266A song.wav";  // ü fits Latin-1, ♪ does not
    const std::string longAnsi = "C:\\" + std::string(260, 'x') + ".wav";
    const Case cases[] = {
        {"fits", "C:\\M\u00FCsik\\a.wav", std::nullopt, "C:\\M\xFCsik\\a.wav", std::nullopt},
        {"short name fits", note, "C:\\MSIK~1\\SONG~1.WAV", "C:\\MSIK~1\\SONG~1.WAV", note},
        {"short name does not fit", note, "C:\\M\u00FCsik\\\u266A~1.WAV", "", note},
        {"no short name", note, std::nullopt, "", note},
        {"longer than 255 bytes", longAnsi, std::nullopt, "", longAnsi},
        {"empty", "", std::nullopt, "", std::nullopt},
    };
    for (const Case& c : cases) {
        files = FakeFileSystem();
        files.files[kIni] = "[Section]\r\nBGMFileUTF8=C:\\stale.wav\r\n";
        if (!c.path.empty()) {
            files.files[c.path] = "wav";
        }
        if (c.shortName) {
            files.shortNames[c.path] = *c.shortName;
        }
        ASSERT_EQ(store(2, 0, c.path).place, StorePlace::BesideProgram) << c.label;
        const std::string& text = files.files.at(kIni);
        EXPECT_EQ(readProfileValue(text, kSettingsSection, kKeyBgmFile), c.legacyAnsi) << c.label;
        EXPECT_EQ(readProfileValue(text, kSettingsSection, kKeyBgmFileUtf8, kUtf8PathLimit),
                  c.full.value_or(""))
            << c.label;
        if (!c.full) {
            EXPECT_EQ(text.find("BGMFileUTF8"), std::string::npos) << "stale key kept: " << c.label;
        }
        load();
        EXPECT_EQ(loaded.file, c.path) << c.label;
        EXPECT_EQ(loaded.kind, c.path.empty() ? 0 : 2) << c.label;
    }
}

TEST_F(StoreTest, OldFilesAndThePerUserFileAreReadAsBefore) {
    // An old file with a Latin-1 path and no UTF-8 key.
    files.files["C:\\M\u00FCsik\\a.wav"] = "wav";
    files.files[kIni] =
        "[Section]\r\nBGM\x8B\xE6\x95\xAA= 2\r\nBGM\xCC\xA7\xB2\xD9=C:\\M\xFCsik\\a.wav\r\n";
    load();
    EXPECT_EQ(loaded.file, "C:\\M\u00FCsik\\a.wav");
    EXPECT_EQ(loaded.kind, 2);
    // A per-user file that exists wins; one that cannot be read does not.
    files.files[kUserIni] = "[Section]\r\nBGM\x8B\xE6\x95\xAA= 1\r\n";
    load();
    EXPECT_EQ(loaded.kind, 1);
    EXPECT_EQ(loaded.file, "");
    files.locked.insert(kUserIni);
    load();
    EXPECT_EQ(loaded.kind, 2);
}

TEST_F(StoreTest, AnOverlongFullPathIsCutWithoutSplittingACharacter) {
    // A hand-edited value: 1021 bytes, then a three-byte note sign across the 1023 limit.
    const std::string value = "C:\\" + std::string(1018, 'a') + "\u266A.wav";
    files.files[kIni] = "[Section]\r\nBGMFileUTF8=" + value + "\r\n";
    const std::string cut = value.substr(0, 1021);  // up to the sign, which is left out
    files.files[cut] = "wav";
    load();
    EXPECT_EQ(loaded.file, cut);
}

}  // namespace
}  // namespace velmora
