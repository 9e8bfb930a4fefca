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
using test::Fault;
using test::FileCall;
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
    // Loads, and gives the kind and repeat number read.
    std::pair<int, int> loadedChoice() {
        load();
        return {loaded.kind, loaded.repeat};
    }
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
    // The files a result names, with their reasons.
    using Named = std::vector<std::pair<std::string, std::uint32_t>>;
    static Named unwritten(const StoreResult& r) {
        Named named;
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
        {"replaced file not removed, for good",
         {},
         ReplaceAct::UnableToRemove,
         StorePlace::PerUser},
        {"sharing violations, then success",
         {3, ReplaceAct::Busy},
         ReplaceAct::Replace,
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
        EXPECT_EQ(loadedChoice(), std::make_pair(1, 4)) << c.label;
    }
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
        const bool stale =
            age == 2 * day && (isSettingsTemporary(kIni, path) || isSettingsBackup(kIni, path));
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
    EXPECT_EQ(unwritten(result), (Named{{kIni, 1117u}, {kUserIni, 1117u}}));
    expectNothingChanged(before);

    // Unreadable beside the program, the per-user folder blocked by a file of its name.
    files = FakeFileSystem();
    files.folders.insert(kIni);  // a folder named Velmora.ini
    files.files[kUserFolder] = "not a folder";
    const auto blocked = files.files;
    const StoreResult both = store(2, 0, "");
    EXPECT_EQ(both.place, StorePlace::Nowhere);
    EXPECT_EQ(unwritten(both), (Named{{kIni, FakeFileSystem::kAccessDenied}, {kUserIni, 183u}}));
    EXPECT_EQ(files.pauses, std::vector<unsigned>()) << "a folder in the way is no passing fault";
    expectNothingChanged(blocked);

    // No per-user folder known at all.
    files = FakeFileSystem();
    files.userFolder.clear();
    files.failWrite.insert(kTemporary);
    const StoreResult alone = store(0, 0, "");
    EXPECT_EQ(alone.place, StorePlace::Nowhere);
    EXPECT_EQ(unwritten(alone), (Named{{kIni, FakeFileSystem::kDiskFull}}));
    expectNothingChanged({});

    // Written beside the program, but a per-user copy that can be neither removed nor
    // rewritten: only that file is named.
    files = FakeFileSystem();
    files.folders.insert(kUserFolder);
    files.files[kUserIni] = "[Section]\r\n";
    files.failRemove.insert(kUserIni);
    files.failReplace.insert(kUserIni);
    const StoreResult stale = store(1, 4, "");
    EXPECT_EQ(stale.place, StorePlace::Nowhere);
    EXPECT_EQ(unwritten(stale), (Named{{kUserIni, FakeFileSystem::kBroken}}));
}

TEST_F(StoreTest, StoreBesideTheProgramRemovesAStalePerUserCopy) {
    files.files[kUserIni] = "[Section]\r\n" + kSjisKind + "= 1\r\n";
    EXPECT_EQ(store(0, 3, "").place, StorePlace::BesideProgram);
    EXPECT_FALSE(files.files.count(kUserIni));
    EXPECT_EQ(loadedChoice(), std::make_pair(0, 3));

    // A copy that cannot be removed gets the same choice, so that loads still agree.
    files.files[kUserIni] = "[Section]\r\n" + kSjisKind + "= 1\r\n";
    files.folders.insert(kUserFolder);
    files.failRemove.insert(kUserIni);
    EXPECT_EQ(store(0, 5, "").place, StorePlace::PerUser);
    EXPECT_EQ(loadedChoice(), std::make_pair(0, 5));
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
    EXPECT_EQ(loadedChoice(), std::make_pair(2, 3));
    EXPECT_EQ(loaded.file, path);

    EXPECT_EQ(store(2, 7, path).place, StorePlace::BesideProgram);
    const std::string& written = files.files.at(kIni);
    ASSERT_EQ(written.substr(0, 2), "\xFF\xFE");
    const std::string back = codec.utf16leToUtf8(written.substr(2));
    EXPECT_NE(back.find(test::kUtf8Repeat + "= 7\r\n"), std::string::npos) << back;
    EXPECT_EQ(back.find(kSjisRepeat), std::string::npos) << "Shift-JIS bytes in a UTF-16 file";
    EXPECT_EQ(written.size() % 2, 0u);
    loaded = BgmSettings();
    EXPECT_EQ(loadedChoice(), std::make_pair(2, 7));
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

// Sequences of two faults that once lost or hid the choice, or misreported it.
TEST_F(StoreTest, AKeptCopyPerUserIsReadWhileItsTargetIsMissing) {
    files.deniedFolders.insert(kFolder);
    files.folders.insert(kUserFolder);
    files.files[kUserIni] = kExisting;
    // The target goes to the backup, then a scanner holds the kept copy past the retries.
    files.replaceScripts[kUserIni] = {{ReplaceAct::UnableToMove2}, ReplaceAct::Busy};
    EXPECT_EQ(store(1, 4, "").place, StorePlace::Nowhere);
    EXPECT_FALSE(files.files.count(kUserIni));
    EXPECT_EQ(loadedChoice(), std::make_pair(1, 4));
}

TEST_F(StoreTest, AKeptCopyIsTheFileWhateverItsAgeUntilTheNextStoreFinishesItsMove) {
    files.files[kIni] = kExisting;
    // The target goes to the backup, and the temporary file stays held by a scanner.
    files.replaceScripts[kIni] = {{ReplaceAct::UnableToMove2}, ReplaceAct::Busy};
    const StoreResult result = store(1, 4, "");
    EXPECT_EQ(result.place, StorePlace::PerUser);
    EXPECT_EQ(unwritten(result), (Named{{kIni, FakeFileSystem::kSharingViolation}}));
    EXPECT_FALSE(files.files.count(kIni));
    EXPECT_EQ(files.files.at(kTemporary), kExistingStored);
    EXPECT_EQ(files.files.at(kBackup), kExisting);

    // With the per-user folder failing as well, a load two days later (or at once, on a
    // share whose clock runs behind) still reads the new bytes.
    files.files.erase(kUserIni);
    files.userFolder = "";
    files.writtenAtMs[kTemporary] = files.nowMs - 2 * FakeFileSystem::kDayMs;
    EXPECT_EQ(loadedChoice(), std::make_pair(1, 4));
    files.userFolder = kUserFolder;

    // The next store finishes the job: every section back in Velmora.ini, nothing left over.
    files.files[kUserIni] = "stale";
    files.replaceScripts.clear();
    EXPECT_EQ(store(1, 4, "").place, StorePlace::BesideProgram);
    EXPECT_EQ(files.files.at(kIni), kExistingStored);
    EXPECT_EQ(temporaries(), std::vector<std::string>());
    EXPECT_FALSE(files.files.count(kUserIni));
}

TEST_F(StoreTest, ABusyPerUserCopyIsNotGone) {
    const std::string previous = "[Section]\r\n" + kSjisRepeat + "= 3\r\n";
    files.folders.insert(kUserFolder);
    files.files[kUserIni] = previous;
    // Held without read sharing past the retries: it can be neither removed nor rewritten.
    files.locked.insert(kUserIni);
    const StoreResult result = store(1, 4, "");
    EXPECT_EQ(result.place, StorePlace::Nowhere);
    EXPECT_EQ(unwritten(result), (Named{{kUserIni, FakeFileSystem::kSharingViolation}}));
    files.locked.clear();
    load();
    EXPECT_EQ(loaded.repeat, 3) << "the result said so";

    // Held for a moment: it is given the choice as well.
    files.heldUntilMs[kUserIni] = files.nowMs + 300;
    EXPECT_EQ(store(1, 4, "").place, StorePlace::PerUser);
    load();
    EXPECT_EQ(loaded.repeat, 4);
}

TEST_F(StoreTest, AFolderThatKeepsOurFilesGainsAtMostOne) {
    // Files can be created there but not removed, nor replaced.
    files.files[kIni] = kExisting;
    files.failRemove = {kTemporary, kBackup};
    files.replaceScripts[kIni] = {{}, ReplaceAct::Denied};
    for (int click = 0; click < 3; ++click) {
        EXPECT_EQ(store(1, 4, "").place, StorePlace::PerUser);
    }
    EXPECT_EQ(temporaries(), std::vector<std::string>{kTemporary});
    EXPECT_EQ(files.pauses, std::vector<unsigned>()) << "the folder is not tried again";
}

TEST_F(StoreTest, AStoreThatReadsMissingLooksAgainForAKeptCopy) {
    files.files[kIni] = kExisting;
    // Store A, of another process, stops half way just before this store reads: its replace
    // moved Velmora.ini to its backup and kept its new bytes.
    const std::string storedA =
        settingsFileAfterStore(codec, kExisting, SettingsChoice{0, 9, ""}, MusicPathValues{});
    files.beforeCall = [&](FileCall call) {
        if (call == FileCall::ReadWhole && files.files.count(kIni)) {
            files.beforeCall = nullptr;
            files.files[kIni + ".5151.tmp"] = storedA;
            files.writtenAtMs[kIni + ".5151.tmp"] = files.nowMs;
            files.files[kIni + ".5151.bak"] = files.files.at(kIni);
            files.files.erase(kIni);
        }
    };
    EXPECT_EQ(store(1, 4, "").place, StorePlace::BesideProgram);
    // A tries again.
    files.pid = 5151;
    EXPECT_EQ(store(0, 9, "").place, StorePlace::BesideProgram);
    EXPECT_EQ(files.files.at(kIni), storedA);
}

TEST_F(StoreTest, AReplaceThatMovedTheTargetLeavesNoOldFileBehind) {
    files.files[kIni] = kExisting;
    for (int click = 0; click < 3; ++click) {
        files.replaceScripts[kIni] = {{ReplaceAct::UnableToMove2}, ReplaceAct::Replace};
        EXPECT_EQ(store(1, 4, "").place, StorePlace::BesideProgram);
    }
    std::vector<std::string> inFolder;
    for (const auto& [path, bytes] : files.files) {
        inFolder.push_back(path);
    }
    EXPECT_EQ(inFolder, std::vector<std::string>{kIni});
}

// Every pair of faults: the first at each file call of a store, the second at each later
// call of that store, the load after it, the next store and the load after that; beside the
// program, and per user (where the program's folder refuses new files and still holds an
// older choice). Choices by their repeat number: 9 older, 3 previous, 7 new, 5 next.
class FaultPairSweep : public ::testing::Test {
  protected:
    // The faults each kind of call can meet.
    static std::vector<Fault> faultsOf(FileCall call) {
        switch (call) {
            case FileCall::Read:
            case FileCall::ReadWhole:
                return {Fault::Busy, Fault::Denied, Fault::Missing, Fault::Broken};
            case FileCall::Write:
                return {Fault::Busy,  Fault::Denied, Fault::Missing, Fault::Full,
                        Fault::Flush, Fault::Ahead,  Fault::Behind};
            case FileCall::Replace:
                return {Fault::Busy,          Fault::Denied,       Fault::Missing,
                        Fault::Broken,        Fault::UnableToMove, Fault::UnableToMove2,
                        Fault::UnableToRemove};
            case FileCall::Move:
                return {Fault::Busy, Fault::Denied, Fault::Missing, Fault::Broken};
            case FileCall::Remove:
                return {Fault::Denied};
            case FileCall::List:
                return {Fault::Busy, Fault::Denied};
            case FileCall::MakeFolder:
                return {Fault::Denied, Fault::Broken};
        }
        return {};
    }
    static const char* nameOf(FileCall call) {
        static const char* const names[] = {"read", "read whole", "write", "replace",
                                            "move", "remove",     "list",  "make folder"};
        return names[static_cast<int>(call)];
    }
    static const char* nameOf(Fault fault) {
        static const char* const names[] = {"busy",
                                            "denied",
                                            "missing",
                                            "broken",
                                            "disk full",
                                            "flush failed",
                                            "clock ahead",
                                            "clock behind",
                                            "UNABLE_TO_MOVE_REPLACEMENT",
                                            "UNABLE_TO_MOVE_REPLACEMENT_2",
                                            "UNABLE_TO_REMOVE_REPLACED"};
        return names[static_cast<int>(fault)];
    }

    static std::string choiceText(int repeat) {
        return "; hand-edited\n[Other]\nx=1\n[Section]\n" + kSjisKind + "= 1\n" + kSjisRepeat +
               "= " + std::to_string(repeat) + "\n[Tail]\ny=2";
    }
    FakeFileSystem start(bool perUser) const {
        FakeFileSystem fresh;
        if (perUser) {
            fresh.deniedFolders.insert(kFolder);
            fresh.files[kIni] = choiceText(9);
            fresh.folders.insert(kUserFolder);
            fresh.files[kUserIni] = choiceText(3);
        } else {
            fresh.files[kIni] = choiceText(3);
        }
        return fresh;
    }
    static int storedRepeat(const FakeFileSystem& files, const std::string& path) {
        auto found = files.files.find(path);
        if (found == files.files.end()) {
            return -1;
        }
        return std::atoi(readProfileValue(found->second, kSettingsSection, kSjisRepeat).c_str());
    }
    // Our temporary files, and our backups, in the folder of target; any other file there
    // (an old one under a name the system chose) counts as a backup too many.
    static std::pair<int, int> leftovers(const FakeFileSystem& files, const std::string& target) {
        std::pair<int, int> count{0, 0};
        for (const auto& [path, bytes] : files.files) {
            if (FakeFileSystem::folderOfPath(path) == FakeFileSystem::folderOfPath(target) &&
                path != target) {
                const bool temporary = isSettingsTemporary(target, path);
                count.first += temporary;
                count.second += isSettingsBackup(target, path) ? 1 : temporary ? 0 : 2;
            }
        }
        return count;
    }

    struct Run {
        std::vector<FileCall> calls;
        std::size_t storeCalls = 0;  // calls of the first store
    };

    // One store of choice 7 and its load, then a store of 5 and its load, with the faults;
    // every check names them.
    Run run(bool perUser, const std::map<std::size_t, Fault>& faults, const std::string& pair) {
        SCOPED_TRACE((perUser ? "per user, " : "beside the program, ") + pair);
        FakeFileSystem files = start(perUser);
        FakeCodec codec;
        files.faults = faults;
        Run seen;
        const std::string home = perUser ? kUserIni : kIni;
        int previous = 3;
        for (const int choice : {7, 5}) {
            const std::uint64_t pausedBefore = files.pausedMs();
            const std::size_t firstCall = files.calls.size();
            const StoreResult result =
                storeSettings(files, codec, kFolder, SettingsChoice{1, std::int16_t(choice), ""});
            const bool clean =
                faults.lower_bound(firstCall) == faults.lower_bound(files.calls.size());
            if (choice == 7) {
                seen.storeCalls = files.calls.size();
            }
            EXPECT_LE(files.pausedMs() - pausedBefore, 2000u) << "a second per place at most";
            // The result and the message tell what happened.
            bool programNamed = false;
            for (const UnwrittenFile& file : result.unwritten) {
                EXPECT_NE(file.systemError, 0u) << file.path;
                programNamed |= file.path == kIni;
            }
            if (storedRepeat(files, kIni) == choice) {
                EXPECT_FALSE(programNamed) << "the program's file was written";
            }
            if (result.place == StorePlace::BesideProgram) {
                EXPECT_TRUE(result.unwritten.empty());
                EXPECT_EQ(storedRepeat(files, kIni), choice);
            } else if (result.place == StorePlace::PerUser) {
                EXPECT_EQ(storedRepeat(files, kUserIni), choice);
            } else {
                EXPECT_FALSE(result.unwritten.empty());
            }
            // At most one temporary file and one backup of ours per folder.
            for (const std::string& target : {kIni, kUserIni}) {
                const std::pair<int, int> left = leftovers(files, target);
                EXPECT_LE(left.first, 1) << target;
                EXPECT_LE(left.second, 1) << target;
                if (choice == 5 && clean) {
                    EXPECT_EQ(left, std::make_pair(0, 0)) << "after a clean store: " << target;
                }
            }
            // A load gives the new choice, or (after a failure) the previous one.
            BgmSettings loaded;
            loadSettings(files, codec, kFolder, loaded);
            if (result.place != StorePlace::Nowhere) {
                EXPECT_EQ(loaded.repeat, choice);
            } else {
                EXPECT_TRUE(loaded.repeat == choice || loaded.repeat == previous) << loaded.repeat;
            }
            previous = loaded.repeat;
            // Other sections and comments survive in the file, or in its kept copy.
            const KeptCopy kept = keptSettingsCopy(files, home);
            const std::string& text = files.files[kept.path.value_or(home)];
            for (const char* part : {"; hand-edited\n[Other]\nx=1\n", "[Tail]\ny=2"}) {
                EXPECT_NE(text.find(part), std::string::npos) << text;
            }
        }
        seen.calls = files.calls;
        return seen;
    }

    void sweep(bool perUser) {
        const Run clean = run(perUser, {}, "no fault");
        int pairs = 0;
        for (std::size_t first = 0; first < clean.storeCalls; ++first) {
            for (const Fault one : faultsOf(clean.calls[first])) {
                const std::string firstName = std::string(nameOf(clean.calls[first])) + " #" +
                                              std::to_string(first) + " " + nameOf(one);
                const Run single = run(perUser, {{first, one}}, firstName);
                for (std::size_t second = first + 1; second < single.calls.size(); ++second) {
                    for (const Fault two : faultsOf(single.calls[second])) {
                        run(perUser, {{first, one}, {second, two}},
                            firstName + ", then " + nameOf(single.calls[second]) + " #" +
                                std::to_string(second) + " " + nameOf(two));
                        ++pairs;
                        if (HasFailure()) {
                            return;  // the first pair that fails is named; the rest add noise
                        }
                    }
                }
            }
        }
        RecordProperty("pairs", pairs);
    }
};

TEST_F(FaultPairSweep, BesideTheProgram) {
    sweep(false);
}

TEST_F(FaultPairSweep, PerUser) {
    sweep(true);
}

}  // namespace
}  // namespace velmora
