// Storing the dialog's choice: all or nothing, beside the program or per user, the file's
// encoding kept, the music path in the forms the file can hold, every documented outcome of
// a replace and a file held open elsewhere; and loading it back.
#include <gtest/gtest.h>

#include "fake_shell.h"
#include "profile_text.h"
#include "settings_keys.h"
#include "settings_store.h"

namespace velmora {
namespace {

using test::FakeCodec;
using test::FakeFileSystem;
using test::kSjisFile;
using test::kSjisKind;
using test::kSjisRepeat;
using test::ReplaceAct;

const std::string kFolder = "C:\\Saver";
const std::string kIni = "C:\\Saver\\Velmora.ini";
const std::string kUserFolder = "C:\\Users\\u\\AppData\\Roaming\\Velmora";
const std::string kUserIni = kUserFolder + "\\Velmora.ini";
// The temporary file and the backup a store of process 4242 uses beside the program.
const std::string kTemporary = kIni + ".4242.tmp";
const std::string kBackup = kIni + ".4242.bak";
// A file another program wrote: other sections, a comment, LF line ends, no final break.
const std::string kExisting =
    "; hand-edited\n[Other]\nx=1\n[Section]\n" + kSjisFile + "=C:\\old.wav\n[Tail]\ny=2";
// kExisting after storing kind 1, repeat 4, no file: the file's line rewritten in place, the
// two new keys after the section's last line.
const std::string kExistingStored = "; hand-edited\n[Other]\nx=1\n[Section]\n" + kSjisFile +
                                    "=\r\n" + kSjisKind + "= 1\r\n" + kSjisRepeat +
                                    "= 4\r\n[Tail]\ny=2";

class StoreTest : public ::testing::Test {
  protected:
    FakeFileSystem files;
    FakeCodec codec;
    BgmSettings loaded;

    StoreResult store(int16_t kind, int16_t repeat, const std::string& file) {
        return storeSettings(files, codec, kFolder, SettingsChoice{kind, repeat, file});
    }
    void load() { loadSettings(files, codec, kFolder, loaded); }
    // The temporary files and backups of ours left in either folder.
    std::vector<std::string> temporaries() const {
        std::vector<std::string> found;
        for (const auto& [path, bytes] : files.files) {
            for (const std::string& target : {kIni, kUserIni}) {
                if (isSettingsTemporary(target, path) || isSettingsBackup(target, path)) {
                    found.push_back(path);
                }
            }
        }
        return found;
    }
    static std::vector<std::pair<std::string, std::uint32_t>> unwritten(const StoreResult& r) {
        std::vector<std::pair<std::string, std::uint32_t>> named;
        for (const UnwrittenFile& file : r.unwritten) {
            named.emplace_back(file.path, file.systemError);
        }
        return named;
    }
    // Everything but the failing target stays as it was, and no temporary file is left.
    void expectNothingChanged(const std::map<std::string, std::string>& before) {
        EXPECT_EQ(files.files, before);
        EXPECT_EQ(temporaries(), std::vector<std::string>());
    }
};

TEST_F(StoreTest, BytesAreThoseOfTheDialogsThreeWrites) {
    files.files["C:\\Music\\a b.mp3"] = "mp3";
    EXPECT_EQ(store(2, -1, "C:\\Music\\a b.mp3").place, StorePlace::BesideProgram);
    EXPECT_EQ(files.files.at(kIni), "[Section]\r\n" + kSjisKind + "= 2\r\n" + kSjisRepeat +
                                        "=-1\r\n" + kSjisFile + "=C:\\Music\\a b.mp3\r\n");
    files.files[kIni] = kExisting;
    EXPECT_EQ(store(1, 4, "").place, StorePlace::BesideProgram);
    EXPECT_EQ(files.files.at(kIni), kExistingStored);
    EXPECT_EQ(temporaries(), std::vector<std::string>());
}

// Outcomes of ReplaceFileW that last, or come back more often than the pair sweep below
// lets them: tried again for about a second, then per user.
TEST_F(StoreTest, ARepeatedOutcomeOfAReplaceKeepsTheSettings) {
    struct Case {
        const char* label;
        std::vector<ReplaceAct> first;
        ReplaceAct then;
        StorePlace place;
    };
    const Case cases[] = {
        {"both keep their names, for good", {}, ReplaceAct::UnableToMove, StorePlace::PerUser},
        {"replaced file not removed, for good", {}, ReplaceAct::UnableToRemove,
         StorePlace::PerUser},
        {"sharing violations, then success", {3, ReplaceAct::Busy}, ReplaceAct::Replace,
         StorePlace::BesideProgram},
        {"access denied for good", {}, ReplaceAct::Denied, StorePlace::PerUser},
    };
    for (const Case& c : cases) {
        files = FakeFileSystem();
        files.files[kIni] = kExisting;
        files.replaceScripts[kIni] = {c.first, c.then};
        EXPECT_EQ(store(1, 4, "").place, c.place) << c.label;
        EXPECT_EQ(files.files.at(kIni),
                  c.place == StorePlace::BesideProgram ? kExistingStored : kExisting)
            << c.label;
        EXPECT_EQ(temporaries(), std::vector<std::string>()) << c.label;
        EXPECT_EQ(files.files.count(kUserIni), c.place == StorePlace::PerUser ? 1u : 0u) << c.label;
        EXPECT_LE(files.pausedMs(), 1000u) << c.label;
        if (c.place == StorePlace::PerUser) {
            EXPECT_GE(files.pausedMs(), 900u) << c.label;
        }
        load();
        EXPECT_EQ(loaded.kind, 1) << c.label;
        EXPECT_EQ(loaded.repeat, 4) << c.label;
    }
}

TEST_F(StoreTest, AMoveThatCannotBeFinishedKeepsTheOnlyCopyForTheNextStore) {
    files.files[kIni] = kExisting;
    // The target goes to the backup, and the temporary file stays held by a scanner.
    files.replaceScripts[kIni] = {{ReplaceAct::UnableToMove2}, ReplaceAct::Busy};
    const StoreResult result = store(1, 4, "");
    EXPECT_EQ(result.place, StorePlace::PerUser);
    ASSERT_EQ(result.unwritten.size(), 1u);
    EXPECT_EQ(result.unwritten[0].path, kIni);
    EXPECT_EQ(result.unwritten[0].systemError, FakeFileSystem::kSharingViolation);
    EXPECT_FALSE(files.files.count(kIni));
    EXPECT_EQ(files.files.at(kTemporary), kExistingStored);
    EXPECT_EQ(files.files.at(kBackup), kExisting);
    load();
    EXPECT_EQ(loaded.repeat, 4);

    // With the per-user folder failing as well, the next load still reads the new bytes.
    files.files.erase(kUserIni);
    files.userFolder = "";
    load();
    EXPECT_EQ(loaded.kind, 1);
    EXPECT_EQ(loaded.repeat, 4);
    files.userFolder = kUserFolder;

    // The next store finishes the job: every section back in Velmora.ini, nothing left over.
    files.files[kUserIni] = "stale";
    files.replaceScripts.clear();
    EXPECT_EQ(store(1, 4, "").place, StorePlace::BesideProgram);
    EXPECT_EQ(files.files.at(kIni), kExistingStored);
    EXPECT_EQ(temporaries(), std::vector<std::string>());
    EXPECT_FALSE(files.files.count(kUserIni));
}

TEST_F(StoreTest, AFileHeldOpenBrieflyIsWaitedForAndAnUnwritableFolderIsNot) {
    // A scanner opened the file with read sharing only, for 700 ms.
    files.files[kIni] = kExisting;
    files.heldUntilMs[kIni] = files.nowMs + 700;
    EXPECT_EQ(store(1, 4, "").place, StorePlace::BesideProgram);
    EXPECT_EQ(files.files.at(kIni), kExistingStored);
    EXPECT_FALSE(files.files.count(kUserIni));
    EXPECT_GE(files.pausedMs(), 700u);

    // A folder that refuses new files: per user at once.
    files = FakeFileSystem();
    files.files[kIni] = kExisting;
    files.deniedFolders.insert(kFolder);
    const StoreResult result = store(1, 4, "");
    EXPECT_EQ(result.place, StorePlace::PerUser);
    ASSERT_EQ(result.unwritten.size(), 1u);
    EXPECT_EQ(result.unwritten[0].systemError, FakeFileSystem::kAccessDenied);
    EXPECT_EQ(files.pauses, std::vector<unsigned>());
    EXPECT_EQ(files.files.at(kIni), kExisting);
}

TEST_F(StoreTest, TwoStoresAtOnceEachLeaveOneWholeFile) {
    // A's bytes, and B's, each stored into no file.
    const std::string storedA =
        "[Section]\r\n" + kSjisKind + "= 1\r\n" + kSjisRepeat + "= 4\r\n" + kSjisFile + "=\r\n";
    const std::string storedB =
        "[Section]\r\n" + kSjisKind + "= 0\r\n" + kSjisRepeat + "= 9\r\n" + kSjisFile + "=\r\n";
    for (const bool fileThere : {true, false}) {
        files = FakeFileSystem();
        if (fileThere) {
            files.files[kIni] = "";
        }
        // Another process stores while this one is half way through writing its bytes.
        StoreResult other;
        files.duringWrite = [&] {
            files.pid = 5151;
            other = store(0, 9, "");
            files.pid = 4242;
        };
        const StoreResult result = store(1, 4, "");
        EXPECT_NE(result.place, StorePlace::Nowhere) << fileThere;
        EXPECT_NE(other.place, StorePlace::Nowhere) << fileThere;
        const std::string& final = files.files.at(kIni);
        EXPECT_TRUE(final == storedA || final == storedB) << final;
        if (files.files.count(kUserIni)) {
            const std::string& perUser = files.files.at(kUserIni);
            EXPECT_TRUE(perUser == storedA || perUser == storedB) << perUser;
        }
        EXPECT_EQ(temporaries(), std::vector<std::string>()) << fileThere;
    }
}

TEST_F(StoreTest, AStoreRemovesOurTemporaryFilesOlderThanADay) {
    const std::uint64_t day = 24 * 3600 * 1000ull;
    const std::map<std::string, std::uint64_t> before = {
        {kIni + ".77-1.tmp", 2 * day},              // ours, stale
        {kIni + ".tmp", 2 * day},                   // the oldest version's name, stale
        {kIni + ".78.bak", 2 * day},                // ours, stale
        {kIni + ".88-2.tmp", day / 24},             // ours, another store may still be running
        {kIni + ".89.bak", day / 24},               // ours, likewise
        {kIni + ".bak", 2 * day},                   // not ours
        {kIni + ".x-1.tmp", 2 * day},               // not ours
        {"C:\\Saver\\Other.ini.1-1.tmp", 2 * day},  // not ours
    };
    for (const auto& [path, age] : before) {
        files.files[path] = "old";
        files.writtenAtMs[path] = files.nowMs - age;
    }
    files.files[kIni] = kExisting;
    EXPECT_EQ(store(1, 4, "").place, StorePlace::BesideProgram);
    EXPECT_EQ(files.files.at(kIni), kExistingStored);
    for (const auto& [path, age] : before) {
        const bool stale = age == 2 * day && (isSettingsTemporary(kIni, path) ||
                                              isSettingsBackup(kIni, path));
        EXPECT_EQ(files.files.count(path), stale ? 0u : 1u) << path;
    }
}

TEST_F(StoreTest, BothPlacesFailingIsReportedWithTheirReasonsAndChangesNothing) {
    files.files[kIni] = kExisting;
    files.files[kUserIni] = "[Section]\r\n" + kSjisKind + "= 1\r\n";
    files.folders.insert(kUserFolder);
    files.failReplace = {kIni, kUserIni};
    const auto before = files.files;
    const StoreResult result = store(2, 0, "");
    EXPECT_EQ(result.place, StorePlace::Nowhere);
    const std::vector<std::pair<std::string, std::uint32_t>> bothBroken = {{kIni, 1117u},
                                                                            {kUserIni, 1117u}};
    EXPECT_EQ(unwritten(result), bothBroken);
    expectNothingChanged(before);

    // Unreadable beside the program, the per-user folder blocked by a file of its name.
    files = FakeFileSystem();
    files.folders.insert(kIni);  // a folder named Velmora.ini
    files.files[kUserFolder] = "not a folder";
    const auto blocked = files.files;
    const StoreResult both = store(2, 0, "");
    EXPECT_EQ(both.place, StorePlace::Nowhere);
    const std::vector<std::pair<std::string, std::uint32_t>> bothBlocked = {
        {kIni, FakeFileSystem::kAccessDenied}, {kUserIni, 183u}};
    EXPECT_EQ(unwritten(both), bothBlocked);
    EXPECT_EQ(files.pauses, std::vector<unsigned>()) << "a folder in the way is no passing fault";
    expectNothingChanged(blocked);

    // No per-user folder known at all.
    files = FakeFileSystem();
    files.userFolder.clear();
    files.failWrite.insert(kTemporary);
    const StoreResult alone = store(0, 0, "");
    EXPECT_EQ(alone.place, StorePlace::Nowhere);
    const std::vector<std::pair<std::string, std::uint32_t>> programAlone = {
        {kIni, FakeFileSystem::kDiskFull}};
    EXPECT_EQ(unwritten(alone), programAlone);
    expectNothingChanged({});
}

TEST_F(StoreTest, StoreBesideTheProgramRemovesAStalePerUserCopy) {
    files.files[kUserIni] = "[Section]\r\n" + kSjisKind + "= 1\r\n";
    EXPECT_EQ(store(0, 3, "").place, StorePlace::BesideProgram);
    EXPECT_FALSE(files.files.count(kUserIni));
    load();
    EXPECT_EQ(loaded.kind, 0);
    EXPECT_EQ(loaded.repeat, 3);

    // A copy that cannot be removed gets the same choice, so that loads still agree.
    files.files[kUserIni] = "[Section]\r\n" + kSjisKind + "= 1\r\n";
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
    const std::string text = "[Section]\r\n" + test::kUtf8Kind + "= 2\r\n" + test::kUtf8Repeat +
                             "= 3\r\n" + test::kUtf8File + "=" + path + "\r\n";
    files.files[kIni] = "\xFF\xFE" + codec.utf8ToUtf16le(text);
    load();
    EXPECT_EQ(loaded.kind, 2);
    EXPECT_EQ(loaded.repeat, 3);
    EXPECT_EQ(loaded.file, path);

    EXPECT_EQ(store(2, 7, path).place, StorePlace::BesideProgram);
    const std::string& written = files.files.at(kIni);
    ASSERT_EQ(written.substr(0, 2), "\xFF\xFE");
    const std::string back = codec.utf16leToUtf8(written.substr(2));
    EXPECT_NE(back.find(test::kUtf8Repeat + "= 7\r\n"), std::string::npos) << back;
    EXPECT_EQ(back.find(kSjisRepeat), std::string::npos) << "Shift-JIS bytes in a UTF-16 file";
    EXPECT_EQ(written.size() % 2, 0u);
    loaded = BgmSettings();
    load();
    EXPECT_EQ(loaded.kind, 2);
    EXPECT_EQ(loaded.repeat, 7);
    EXPECT_EQ(loaded.file, path);
}

// A system whose ANSI code page is UTF-8 (65001): every path is exact, a new file keeps
// Shift-JIS key names, and a file the system's own writer made there (UTF-8 key names, no
// byte-order mark) is read and stored in its own encoding.
TEST_F(StoreTest, Utf8AsTheAnsiCodePage) {
    codec.utf8CodePage = true;
    const std::string ascii = "C:\\Music\\a.wav";
    const std::string japanese = "C:\\\u97F3\u697D\\\u266A.wav";  // C:\音楽\♪.wav
    for (const std::string& path : {ascii, japanese}) {
        files = FakeFileSystem();
        files.files[path] = "wav";
        ASSERT_EQ(store(2, 0, path).place, StorePlace::BesideProgram) << path;
        EXPECT_EQ(files.files.at(kIni), "[Section]\r\n" + kSjisKind + "= 2\r\n" + kSjisRepeat +
                                            "= 0\r\n" + kSjisFile + "=" + path + "\r\n");
        load();
        EXPECT_EQ(loaded.kind, 2) << path;
        EXPECT_EQ(loaded.file, path);
    }

    files.files[kIni] = "[Other]\r\nx=\u00FC\r\n[Section]\r\n" + test::kUtf8Kind + "= 2\r\n" +
                        test::kUtf8File + "=" + japanese + "\r\n";
    loaded = BgmSettings();
    load();
    EXPECT_EQ(loaded.kind, 2);
    EXPECT_EQ(loaded.file, japanese);
    ASSERT_EQ(store(1, 3, japanese).place, StorePlace::BesideProgram);
    EXPECT_EQ(files.files.at(kIni), "[Other]\r\nx=\u00FC\r\n[Section]\r\n" + test::kUtf8Kind +
                                        "= 1\r\n" + test::kUtf8File + "=" + japanese + "\r\n" +
                                        test::kUtf8Repeat + "= 3\r\n");
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
        EXPECT_EQ(readProfileValue(text, kSettingsSection, kSjisFile), c.legacyAnsi) << c.label;
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
        "[Section]\r\n" + kSjisKind + "= 2\r\n" + kSjisFile + "=C:\\M\xFCsik\\a.wav\r\n";
    load();
    EXPECT_EQ(loaded.file, "C:\\M\u00FCsik\\a.wav");
    EXPECT_EQ(loaded.kind, 2);
    // A per-user file that exists wins; one that cannot be read does not.
    files.files[kUserIni] = "[Section]\r\n" + kSjisKind + "= 1\r\n";
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
