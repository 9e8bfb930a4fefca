// The button's properties and their persistence in the host's design data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/command_button.h"
#include "fake_surface.h"

namespace {

// Design data that remembers the order in which names were read.
class RecordingBag : public MemoryPropertyBag {
  public:
    using MemoryPropertyBag::MemoryPropertyBag;
    std::vector<std::string> readNames;
    std::optional<std::string> read(const char* name) override {
        readNames.emplace_back(name);
        return MemoryPropertyBag::read(name);
    }
};

FontDescription ambientFont() {
    FontDescription font;
    font.faceName = "Tahoma";
    font.sizeCentipoints = 825;
    font.weight = 400;
    return font;
}

constexpr RecordedPaint kNormal{Skin::Normal, false};

using Values = PropertyValues;

struct Loaded {
    FakeSurface surface;
    Command button{surface};
    explicit Loaded(Values values = {}) {
        MemoryPropertyBag design(std::move(values));
        button.readProperties(design, ambientFont());
        surface.forget();
    }
};

TEST(CommandProperties, ReadsInTableOrderWithItsDefaults) {
    FakeSurface surface;
    Command button(surface);
    RecordingBag design;
    button.readProperties(design, ambientFont());
    const std::vector<std::string> order = {"Enabled",  "Caption",    "Font",
                                            "FirstRun", "FontColour", "Visible"};
    EXPECT_EQ(design.readNames, order);
    EXPECT_TRUE(button.enabledFlag());
    EXPECT_EQ(button.Caption(), "Command1");
    EXPECT_EQ(surface.captionText, "Command1");
    EXPECT_EQ(button.Font().faceName, "Tahoma");
    EXPECT_EQ(button.Font().sizeCentipoints, 975) << "the face name alone is taken";
    EXPECT_EQ(button.firstRun(), 1);
    EXPECT_EQ(button.captionColour(), 0u);
    EXPECT_TRUE(surface.opaque);
    EXPECT_EQ(surface.paints, std::vector<RecordedPaint>{kNormal}) << "RefreshLook after read";
}

TEST(CommandProperties, WritesInItsOrderAndOmitsDefaults) {
    Loaded loaded(Values{{"Caption", "\xE8\xA8\xAD\xE5\xAE\x9A"}});  // "設定"
    Command& button = loaded.button;
    FontDescription bold = button.Font();
    bold.weight = 700;
    button.setFont(bold);
    button.setFontColour(0x0000FF);
    button.setVisible(0);
    button.setEnabled(false);
    MemoryPropertyBag saved;
    button.writeProperties(saved, ambientFont());
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Enabled", "0"},
        {"Caption", "\xE8\xA8\xAD\xE5\xAE\x9A"},
        {"Font", formatFontText(bold)},
        {"FontColour", "255"},
        {"Visible", "0"}};
    EXPECT_EQ(saved.values(), expected);
}

TEST(CommandProperties, WritesNothingWhenEverythingIsDefault) {
    Loaded loaded(Values{{"Caption", "Command"}, {"Font", formatFontText(ambientFont())}});
    Command& button = loaded.button;
    button.setFont(ambientFont());
    MemoryPropertyBag saved;
    button.writeProperties(saved, ambientFont());
    EXPECT_TRUE(saved.values().empty());
    EXPECT_EQ(loaded.surface.paints, std::vector<RecordedPaint>{kNormal})
        << "RefreshLook after write";
}

TEST(CommandProperties, CaptionSavedAsCommandReadsBackAsCommand1) {
    Loaded first;
    first.button.setCaption("Command");
    MemoryPropertyBag saved;
    first.button.writeProperties(saved, ambientFont());
    Loaded second(saved.values());
    EXPECT_EQ(second.button.Caption(), "Command1");
}

TEST(CommandProperties, StoredFontGivesItsFaceNameOnly) {
    FontDescription stored;
    stored.faceName = "Arial";
    stored.sizeCentipoints = 1200;
    stored.weight = 700;
    stored.italic = true;
    Loaded loaded(Values{{"Font", formatFontText(stored)}});
    FontDescription expected = defaultButtonFont();
    expected.faceName = "Arial";
    EXPECT_EQ(loaded.button.Font(), expected);
    EXPECT_EQ(loaded.surface.captionFont, expected);
}

TEST(CommandProperties, FontTextRoundTripsAndRejectsGarbage) {
    FontDescription font = defaultButtonFont();
    font.underline = true;
    FontDescription parsed;
    ASSERT_TRUE(parseFontText(formatFontText(font), parsed));
    EXPECT_EQ(parsed, font);
    for (const char* bad : {"", "975;400;0;0;0;128;", "x;400;0;0;0;128;A", "975;400;0;0;0;999;A",
                            "9 75;400;0;0;0;128;A", "+-975;400;0;0;0;128;A"}) {
        EXPECT_FALSE(parseFontText(bad, parsed)) << bad;
    }
    // A stored number may have blanks before it, spaces after it and either sign.
    ASSERT_TRUE(parseFontText("\t+975 ;400;0;-0;0;128;A", parsed));
    EXPECT_EQ(parsed.sizeCentipoints, 975);
}

TEST(CommandProperties, UnreadableStoredValuesKeepTheirDefaults) {
    Loaded loaded(Values{{"Enabled", "maybe"}, {"FirstRun", "300"}, {"FontColour", "red"}});
    EXPECT_FALSE(loaded.button.enabledFlag()) << "a fresh instance is not enabled";
    EXPECT_EQ(loaded.button.firstRun(), 0);
    EXPECT_EQ(loaded.button.captionColour(), 0u);
}

TEST(CommandProperties, VisibleSwitchesTheBackgroundAndReports) {
    Loaded loaded;
    loaded.button.setVisible(0);
    EXPECT_FALSE(loaded.surface.opaque);
    EXPECT_TRUE(loaded.surface.paints.empty());
    EXPECT_EQ(loaded.button.Visible(), 0);
    EXPECT_TRUE(loaded.surface.paints.empty());
    loaded.button.setVisible(7);
    EXPECT_TRUE(loaded.surface.opaque);
    EXPECT_EQ(loaded.surface.paints, std::vector<RecordedPaint>{kNormal});
    EXPECT_EQ(loaded.button.Visible(), 255);
    EXPECT_EQ(loaded.surface.paints.size(), 2u);
    EXPECT_EQ(loaded.surface.changed, (std::vector<std::string>{"Visible", "Visible"}));
}

TEST(CommandProperties, FontColourThatCannotBeSetRepaintsWithoutReport) {
    Loaded loaded;
    loaded.surface.colourSucceeds = false;
    loaded.button.setFontColour(0x00FF00);
    EXPECT_EQ(loaded.button.captionColour(), 0u);
    EXPECT_TRUE(loaded.surface.changed.empty());
    EXPECT_EQ(loaded.surface.paints, std::vector<RecordedPaint>{kNormal});
    loaded.surface.colourSucceeds = true;
    loaded.button.setFontColour(0x00FF00);
    EXPECT_EQ(loaded.button.FontColour(), 0x00FF00u);
    EXPECT_EQ(loaded.surface.captionColour, 0x00FF00u);
    EXPECT_EQ(loaded.surface.changed, std::vector<std::string>{"FontColour"});
}

TEST(CommandProperties, FreshInstanceIsEnabledByItsFirstRead) {
    FakeSurface surface;
    Command button(surface);
    EXPECT_FALSE(button.enabledFlag());
    EXPECT_EQ(button.firstRun(), 0);
    EXPECT_TRUE(button.Enabled());
    EXPECT_EQ(button.firstRun(), 1);
    EXPECT_EQ(surface.paints, std::vector<RecordedPaint>{kNormal});
    EXPECT_TRUE(surface.captionEnabled);
}

TEST(CommandProperties, FreshInstanceKeepsBlackCaptionUntilItsFirstRun) {
    FakeSurface surface;
    Command button(surface);
    button.setEnabled(true);
    button.setFontColour(0x0000FF);
    EXPECT_EQ(button.captionColour(), 0u);
    EXPECT_EQ(surface.captionColour, 0u);
}

TEST(CommandProperties, WritingEnabledRepaintsAndEnabledCaptionAndFontReport) {
    Loaded loaded;
    loaded.button.setEnabled(false);
    EXPECT_EQ(loaded.surface.changed, std::vector<std::string>{"Enabled"});
    EXPECT_EQ(loaded.surface.paints, (std::vector<RecordedPaint>{{Skin::Disable, false}}));
    EXPECT_FALSE(loaded.button.Enabled());
    loaded.button.setCaption("...");
    loaded.button.setFont(ambientFont());
    EXPECT_EQ(loaded.surface.captionText, "...");
    EXPECT_EQ(loaded.surface.captionFont, ambientFont());
    EXPECT_EQ(loaded.surface.changed, (std::vector<std::string>{"Enabled", "Caption", "Font"}));
}

}  // namespace
