// The settings dialog's logic: marks and enabled controls, the repeat box, what "設定" writes.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "../shell/fake_shell.h"
#include "../shell/settings_keys.h"
#include "dialog/dialog_layout.h"
#include "settings_dialog_model.h"

namespace velmora {
namespace {

using test::FakeCodec;
using test::FakeFileSystem;
using test::kSjisFile;
using test::kSjisKind;
using test::kSjisRepeat;

struct OpeningCase {
    int16_t kind;
    bool marked[3];
    bool repeatEnabled;
    bool fileEnabled;
};

class OpeningWithKind : public ::testing::TestWithParam<OpeningCase> {};

TEST_P(OpeningWithKind, MarksTheOptionAndEnablesItsControl) {
    const OpeningCase& c = GetParam();
    BgmSettings settings;
    settings.kind = c.kind;
    const SettingsDialogModel model(settings);
    for (int option = 0; option < 3; ++option) {
        EXPECT_EQ(model.isMarked(option), c.marked[option]) << "option " << option;
    }
    EXPECT_EQ(model.repeatBoxEnabled(), c.repeatEnabled);
    EXPECT_EQ(model.fileButtonEnabled(), c.fileEnabled);
}

INSTANTIATE_TEST_SUITE_P(Kinds, OpeningWithKind,
                         ::testing::Values(OpeningCase{0, {true, false, false}, false, false},
                                           OpeningCase{1, {false, true, false}, true, false},
                                           OpeningCase{2, {false, false, true}, false, true},
                                           OpeningCase{7, {false, false, false}, false, false},
                                           OpeningCase{-1, {false, false, false}, false, false}));

TEST(SettingsDialogModel, ChoosingAnOptionKeepsFileAndRepeat) {
    BgmSettings settings{kBgmFile, 4, "C:\\Music\\a.mp3", "C:\\Music"};
    SettingsDialogModel model(settings);
    model.chooseOption(1);
    EXPECT_TRUE(model.isMarked(1));
    EXPECT_FALSE(model.isMarked(2));
    EXPECT_TRUE(model.repeatBoxEnabled());
    EXPECT_FALSE(model.fileButtonEnabled());
    EXPECT_EQ(settings.kind, 1);
    EXPECT_EQ(settings.file, "C:\\Music\\a.mp3");
    EXPECT_EQ(settings.repeat, 4);
    model.chooseOption(0);
    EXPECT_FALSE(model.repeatBoxEnabled());
    EXPECT_FALSE(model.fileButtonEnabled());
}

TEST(SettingsDialogModel, ChosenFileMovesTheChooserToItsFolder) {
    BgmSettings settings{kBgmFile, 0, "", "C:\\Saver"};
    SettingsDialogModel model(settings);
    FakeFileSystem files;
    FakeCodec codec;
    EXPECT_TRUE(model.fileChosen(files, codec, "D:\\Songs\\Loop one.wav"));
    EXPECT_EQ(model.fileLabel(), "D:\\Songs\\Loop one.wav");
    EXPECT_EQ(model.chooserFolder(), "D:\\Songs");
    EXPECT_TRUE(model.fileChosen(files, codec, "E:\\root.mp3"));
    EXPECT_EQ(model.chooserFolder(), "E:");
}

TEST(SettingsDialogModel, ChooserRefusesAPathTheFileCannotKeepWhole) {
    BgmSettings settings{kBgmFile, 0, "C:\\Music\\a.mp3", "C:\\Music"};
    SettingsDialogModel model(settings);
    FakeFileSystem files;
    FakeCodec codec;
    // Beyond the ANSI code page but short enough for the UTF-8 key: taken.
    EXPECT_TRUE(model.fileChosen(files, codec, "C:\\\u266A\\a.wav"));
    // Longer than the reader takes back: refused, nothing changes.
    std::string longUtf8 = "C:\\";
    for (int i = 0; i < 400; ++i) {
        longUtf8 += "\u266A";
    }
    EXPECT_FALSE(model.fileChosen(files, codec, longUtf8 + ".wav"));
    EXPECT_EQ(model.fileLabel(), "C:\\\u266A\\a.wav");
    EXPECT_EQ(model.chooserFolder(), "C:\\\u266A");
}

TEST(RepeatBox, FormatsWithHashHashAndListsEmptyThenOneToThirty) {
    EXPECT_EQ(formatHashHash(0), "");
    EXPECT_EQ(formatHashHash(7), "7");
    EXPECT_EQ(formatHashHash(-3), "-3");
    const std::vector<std::string> entries = repeatListEntries();
    ASSERT_EQ(entries.size(), 31u);
    EXPECT_EQ(entries.front(), "");
    EXPECT_EQ(entries[1], "1");
    EXPECT_EQ(entries.back(), "30");
}

TEST(RepeatBox, ReadsTheTextAsANumberRoundedHalfToEven) {
    const std::pair<const char*, int16_t> cases[] = {
        {"7", 7},         {"  7  ", 7}, {"2.5", 2},         {"3.5", 4},    {"-2.5", -2},
        {"45", 45},       {"1e1", 10},  {"abc", 0},         {"", 0},       {"7a", 0},
        {"32767", 32767}, {"32768", 0}, {"-32768", -32768}, {"-32769", 0}, {"1e300", 0},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(parseRepeatText(text), expected) << '"' << text << '"';
    }
}

TEST(SettingsDialogModel, StoreWritesTheThreeKeysInOrderWithShiftJisNames) {
    BgmSettings settings{kBgmCd, 0, "C:\\Music\\a.mp3", "C:\\Music"};
    SettingsDialogModel model(settings);
    FakeFileSystem files;
    FakeCodec codec;
    EXPECT_EQ(model.store(files, codec, "C:\\Saver", " 7 ").place, StorePlace::BesideProgram);
    EXPECT_EQ(settings.repeat, 7);
    const std::string& written = files.files.at(settingsPath("C:\\Saver"));
    const size_t kind = written.find(kSjisKind + "= 1");
    const size_t repeat = written.find(kSjisRepeat + "= 7");
    const size_t file = written.find(kSjisFile + "=C:\\Music\\a.mp3");
    ASSERT_NE(kind, std::string::npos) << written;
    ASSERT_NE(repeat, std::string::npos) << written;
    ASSERT_NE(file, std::string::npos) << written;
    EXPECT_LT(kind, repeat);
    EXPECT_LT(repeat, file);
}

TEST(SettingsDialogModel, StoreKeepsAnUnusableKindAsItWas) {
    BgmSettings settings{9, -2, "", ""};
    SettingsDialogModel model(settings);
    FakeFileSystem files;
    FakeCodec codec;
    model.store(files, codec, "C:\\Saver", "");
    const std::string& written = files.files.at(settingsPath("C:\\Saver"));
    EXPECT_NE(written.find(kSjisKind + "= 9"), std::string::npos) << written;
    EXPECT_NE(written.find(kSjisRepeat + "= 0"), std::string::npos) << written;
}

TEST(SettingsDialogModel, StoreFailedMessageNamesEachUnwrittenFileWithItsReason) {
    StoreResult result;
    result.unwritten = {{"C:\\Saver\\Velmora.ini", 5}, {"C:\\Users\\u\\Velmora\\Velmora.ini", 112}};
    const auto reason = [](std::uint32_t error) {
        return error == 5 ? std::string("アクセスが拒否されました。")
                          : "error " + std::to_string(error);
    };
    const std::string two = storeFailedMessage(result, reason);
    EXPECT_EQ(two.rfind("設定を保存できませんでした。", 0), 0u);
    EXPECT_NE(two.find(":\nC:\\Saver\\Velmora.ini\n理由: アクセスが拒否されました。\n"
                       "C:\\Users\\u\\Velmora\\Velmora.ini\n理由: error 112\n\n"),
              std::string::npos)
        << two;

    // The per-user file alone, with no reason the system could name.
    result.unwritten = {{"C:\\Users\\u\\Velmora\\Velmora.ini", 0}};
    const std::string bare = storeFailedMessage(result, reason);
    EXPECT_NE(bare.find(":\nC:\\Users\\u\\Velmora\\Velmora.ini\n\nファイル"), std::string::npos)
        << bare;
    EXPECT_EQ(bare.find("Saver"), std::string::npos);
    EXPECT_EQ(bare.find("理由"), std::string::npos);
}

TEST(Background, RunsFromDarkEdgesToALightMiddle) {
    EXPECT_EQ(backgroundLineColour(0, 3645, BackgroundTone::Window), (Rgb8{0, 0, 30}));
    EXPECT_EQ(backgroundLineColour(1822, 3645, BackgroundTone::Window), (Rgb8{220, 220, 250}));
    EXPECT_EQ(backgroundLineColour(0, 2475, BackgroundTone::Panel), (Rgb8{30, 30, 30}));
    EXPECT_EQ(backgroundLineColour(1237, 2475, BackgroundTone::Panel), (Rgb8{250, 250, 250}));
}

TEST(Background, EachPixelRowTakesTheLastLineThatFallsOnIt) {
    const std::vector<Rgb8> rows = backgroundPixelRows(3645, 243, 15.0, BackgroundTone::Window);
    ASSERT_EQ(rows.size(), 243u);
    EXPECT_EQ(rows[0], backgroundLineColour(14, 3645, BackgroundTone::Window));
    EXPECT_EQ(rows[100], backgroundLineColour(1514, 3645, BackgroundTone::Window));
    // The last row also takes line 3645, one twip past the client height.
    EXPECT_EQ(rows[242], backgroundLineColour(3644, 3645, BackgroundTone::Window));
}

TEST(DialogPosition, CentresHorizontallyAndSitsAThirdDown) {
    // 1024 x 768 screen, 502 x 272 pixel outer window, at 15 twips per pixel.
    const TwipsPoint place = dialogPosition(15360, 11520, 7530, 4080);
    EXPECT_EQ(place.x, 3915);
    EXPECT_EQ(place.y, 2480);
}

TEST(DialogLayout, TabOrderIsUniqueAndOptionsMapToTheirIndex) {
    std::set<int> seen;
    for (const DialogElement& element : kDialogElements) {
        if (element.tabIndex >= 0) {
            EXPECT_TRUE(seen.insert(element.tabIndex).second) << int{element.tabIndex};
        }
    }
    EXPECT_EQ(optionIndexOf(DialogElementId::OptionMark0), 0);
    EXPECT_EQ(optionIndexOf(DialogElementId::OptionText1), 1);
    EXPECT_EQ(optionIndexOf(DialogElementId::OptionText2), 2);
    EXPECT_EQ(optionIndexOf(DialogElementId::RepeatBox), -1);
}

}  // namespace
}  // namespace velmora
