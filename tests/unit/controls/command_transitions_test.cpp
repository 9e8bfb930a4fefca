// The button's focus and hover state machine: each row of its transition table, and the
// sequences the settings dialog relies on.
#include <gtest/gtest.h>

#include <vector>

#include "controls/command_button.h"
#include "fake_surface.h"

namespace {

constexpr RecordedPaint kNormal{Skin::Normal, false};
constexpr RecordedPaint kNormalHover{Skin::Normal, true};
constexpr RecordedPaint kHighLight{Skin::HighLight, true};
constexpr RecordedPaint kSelected{Skin::Selected, false};
constexpr RecordedPaint kPressedHover{Skin::Pressed, true};
constexpr RecordedPaint kPressed{Skin::Pressed, false};
constexpr RecordedPaint kHighLightSelect{Skin::HighLightSelect, false};
constexpr RecordedPaint kHighLightSelectHover{Skin::HighLightSelect, true};

struct Fixture {
    FakeSurface surface;
    Command button{surface};
    int clicks = 0;
    std::vector<size_t> paintsAtClick;

    Fixture() {
        button.onClick([this] {
            ++clicks;
            paintsAtClick.push_back(surface.paints.size());
        });
        MemoryPropertyBag design;
        button.readProperties(design, defaultButtonFont());
    }

    // Reaches a state through real events; state 4 is entered through the pointer first.
    void driveTo(uint8_t state, bool leftHeld = false) {
        button.Initialize();
        if (state == kStateHover || state == kStateFocusedHover) {
            button.mouseMove(0, 0, 500, 100);
        }
        if (state == kStateFocused || state == kStateFocusedHover) {
            button.gotFocus();
        }
        if (leftHeld) {
            button.mouseDown(kLeftButton, 0, 500, 100);
            // The press counts as hovering; a held press in an unhovered state is one that
            // was dragged off since.
            if (state == kStateNormal || state == kStateFocused) {
                surface.pointerOver = false;
                button.timerTick();
                surface.pointerOver = true;
            }
        }
        surface.forget();
    }
};

enum class Event {
    GotFocus,
    LostFocus,
    LeftDown,
    RightDown,
    Move,
    LeftUp,
    RightUp,
    MiddleUp,
    TickAway,
    TickOver,
    Resize
};

struct Row {
    const char* name;
    uint8_t from;
    bool leftHeld;
    Event event;
    uint8_t to;
    std::vector<RecordedPaint> paints;
    int clicks;
};

void fire(Command& button, FakeSurface& surface, Event event) {
    switch (event) {
        case Event::GotFocus:
            return button.gotFocus();
        case Event::LostFocus:
            return button.lostFocus();
        case Event::LeftDown:
            return button.mouseDown(kLeftButton, 0, 500, 100);
        case Event::RightDown:
            return button.mouseDown(kRightButton, 0, 500, 100);
        case Event::Move:
            return button.mouseMove(0, 0, 500, 100);
        case Event::LeftUp:
            return button.mouseUp(kLeftButton, 0, 500, 100);
        case Event::RightUp:
            return button.mouseUp(kRightButton, 0, 500, 100);
        case Event::MiddleUp:
            return button.mouseUp(kMiddleButton, 0, 500, 100);
        case Event::TickAway:
            surface.pointerOver = false;
            return button.timerTick();
        case Event::TickOver:
            surface.pointerOver = true;
            return button.timerTick();
        case Event::Resize:
            return button.resize();
    }
}

class TransitionTable : public ::testing::TestWithParam<Row> {};

TEST_P(TransitionTable, GivesStatePaintsAndClicks) {
    const Row& row = GetParam();
    Fixture f;
    f.driveTo(row.from, row.leftHeld);
    fire(f.button, f.surface, row.event);
    EXPECT_EQ(f.button.buttonState(), row.to);
    EXPECT_EQ(f.surface.paints, row.paints);
    EXPECT_EQ(f.clicks, row.clicks);
    for (size_t paintsBefore : f.paintsAtClick) {
        EXPECT_EQ(paintsBefore, row.paints.size()) << "Click is raised after the repaint";
    }
}

const Row kRows[] = {
    {"FocusOnNormalSelects", 1, false, Event::GotFocus, 3, {kSelected}, 0},
    {"FocusOnFocusedSelectsAgain", 3, false, Event::GotFocus, 3, {kSelected}, 0},
    {"FocusOnFocusedHoverSelects", 4, false, Event::GotFocus, 3, {kSelected}, 0},
    {"FocusOnHoverLooksPressed", 2, false, Event::GotFocus, 4, {kPressedHover}, 0},
    {"LostFocusOnNormalDoesNothing", 1, false, Event::LostFocus, 1, {}, 0},
    {"LostFocusOnHoverGoesNormal", 2, false, Event::LostFocus, 1, {kNormal}, 0},
    {"LostFocusOnFocusedGoesNormal", 3, false, Event::LostFocus, 1, {kNormal}, 0},
    {"LostFocusOnFocusedHoverGoesNormal", 4, false, Event::LostFocus, 1, {kNormal}, 0},
    {"LeftDownLooksPressedKeepsState", 2, false, Event::LeftDown, 2, {kPressedHover}, 0},
    {"LeftDownOnNormalCountsAsHovered", 1, false, Event::LeftDown, 2, {kPressedHover}, 0},
    {"LeftDownOnFocusedCountsAsHovered", 3, false, Event::LeftDown, 4, {kPressed}, 0},
    {"LeftDownOnFocusedHoverKeepsState", 4, false, Event::LeftDown, 4, {kPressedHover}, 0},
    {"RightDownDoesNothing", 2, false, Event::RightDown, 2, {}, 0},
    {"MoveOnNormalHovers", 1, false, Event::Move, 2, {kHighLight}, 0},
    {"MoveOnHoverDoesNothing", 2, false, Event::Move, 2, {}, 0},
    {"MoveOnFocusedHovers", 3, false, Event::Move, 4, {kHighLightSelect}, 0},
    {"MoveOnFocusedWhileHeldDoesNothing", 3, true, Event::Move, 3, {}, 0},
    {"MoveOnFocusedHoverDoesNothing", 4, false, Event::Move, 4, {}, 0},
    {"LeftUpOnHoverPaintsNormalAndClicks", 2, true, Event::LeftUp, 2, {kNormalHover}, 1},
    {"LeftUpOnFocusedHoverClicks", 4, true, Event::LeftUp, 4, {kHighLightSelectHover}, 1},
    {"LeftUpOnFocusedRaisesNothing", 3, true, Event::LeftUp, 3, {}, 0},
    // Releases that do not end a left press made on the button raise nothing.
    {"UnpairedLeftUpOnNormalRaisesNothing", 1, false, Event::LeftUp, 1, {}, 0},
    {"UnpairedLeftUpOnHoverRaisesNothing", 2, false, Event::LeftUp, 2, {kNormalHover}, 0},
    {"UnpairedLeftUpOnFocusedHover", 4, false, Event::LeftUp, 4, {kHighLightSelectHover}, 0},
    {"RightUpOnHoverRaisesNothing", 2, false, Event::RightUp, 2, {}, 0},
    {"RightUpWhileLeftHeldRaisesNothing", 4, true, Event::RightUp, 4, {}, 0},
    {"MiddleUpOnFocusedHoverRaisesNothing", 4, false, Event::MiddleUp, 4, {}, 0},
    {"MiddleUpWhileLeftHeldRaisesNothing", 2, true, Event::MiddleUp, 2, {}, 0},
    {"RightUpOnFocusedRaisesNothing", 3, false, Event::RightUp, 3, {}, 0},
    {"TickAwayFromHoverGoesNormal", 2, false, Event::TickAway, 1, {kNormal}, 0},
    {"TickAwayFromFocusedHoverSelects", 4, false, Event::TickAway, 3, {kSelected}, 0},
    {"TickAwayFromNormalDoesNothing", 1, false, Event::TickAway, 1, {}, 0},
    {"TickAwayFromFocusedDoesNothing", 3, false, Event::TickAway, 3, {}, 0},
    {"TickOverHoverDoesNothing", 2, false, Event::TickOver, 2, {}, 0},
    {"ResizeOfHoverPaintsNormalInHoverOrder", 2, false, Event::Resize, 2, {kNormalHover}, 0},
    {"ResizeOfFocusedPaintsNormal", 3, false, Event::Resize, 3, {kNormal}, 0},
};

INSTANTIATE_TEST_SUITE_P(Command, TransitionTable, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandTransitions, InitializeSetsNormalAndStartsTheHoverTimer) {
    Fixture f;  // before: see BeforeInitializeHoveringChangesNothing
    f.button.Initialize();
    EXPECT_EQ(f.button.buttonState(), kStateNormal);
    EXPECT_EQ(f.surface.timerInterval, kHoverTimerMilliseconds);
}

TEST(CommandTransitions, PressAndReleaseOverTheButtonClicksOnce) {
    Fixture f;
    f.driveTo(kStateNormal);
    f.button.mouseMove(0, 0, 10, 10);
    f.button.gotFocus();  // a click gives the focus before the press arrives
    f.button.mouseDown(kLeftButton, 0, 10, 10);
    f.button.mouseUp(kLeftButton, 0, 10, 10);
    EXPECT_EQ(f.clicks, 1);
    EXPECT_EQ(f.button.buttonState(), kStateFocusedHover);
    EXPECT_FALSE(f.button.mouseIsDown());
}

TEST(CommandTransitions, PressDraggedOffAndBackRaisesNothing) {
    Fixture f;
    f.driveTo(kStateNormal);
    f.button.mouseMove(0, 0, 10, 10);
    f.button.gotFocus();
    f.button.mouseDown(kLeftButton, 0, 10, 10);
    fire(f.button, f.surface, Event::TickAway);
    EXPECT_EQ(f.button.buttonState(), kStateFocused);
    f.button.mouseMove(kLeftButton, 0, 10, 10);  // back over the button, still held
    fire(f.button, f.surface, Event::TickOver);
    EXPECT_EQ(f.button.buttonState(), kStateFocused);
    f.button.mouseUp(kLeftButton, 0, 10, 10);
    EXPECT_EQ(f.clicks, 0);
    // Once released, the next move shows the hovered, focused look again.
    f.surface.forget();
    f.button.mouseMove(0, 0, 10, 10);
    EXPECT_EQ(f.button.buttonState(), kStateFocusedHover);
    EXPECT_EQ(f.surface.paints, std::vector<RecordedPaint>{kHighLightSelect});
}

TEST(CommandTransitions, ReleaseOffTheButtonRaisesNothingEvenBeforeTheNextTick) {
    Fixture f;
    f.driveTo(kStateHover);
    f.button.gotFocus();
    // Left, above, right of and below the 1155 x 375 twips button.
    const int32_t outside[][2] = {{-300, 10}, {10, -15}, {1155, 10}, {10, 375}};
    for (const auto& point : outside) {
        f.button.mouseDown(kLeftButton, 0, 10, 10);
        f.button.mouseUp(kLeftButton, 0, point[0], point[1]);
    }
    EXPECT_EQ(f.clicks, 0);
    f.button.mouseDown(kLeftButton, 0, 10, 10);
    f.button.mouseUp(kLeftButton, 0, 1154, 374);  // the last twip inside still counts
    EXPECT_EQ(f.clicks, 1);
}

TEST(CommandTransitions, PressWithoutAPriorMoveThenReleaseClicksOnce) {
    // The move onto the button was lost (or a pen pressed straight away): the click that
    // gives the focus finds the button in StateNormal, and the press proves the hover.
    Fixture f;
    f.driveTo(kStateNormal);
    f.button.gotFocus();
    f.button.mouseDown(kLeftButton, 0, 10, 10);
    EXPECT_EQ(f.button.buttonState(), kStateFocusedHover);
    f.surface.pointerOver = true;
    f.button.timerTick();
    f.button.mouseUp(kLeftButton, 0, 10, 10);
    EXPECT_EQ(f.clicks, 1);
    // Without the focus at all (a host that keeps it elsewhere) the same holds.
    Fixture g;
    g.driveTo(kStateNormal);
    g.button.mouseDown(kLeftButton, 0, 10, 10);
    EXPECT_EQ(g.button.buttonState(), kStateHover);
    g.button.mouseUp(kLeftButton, 0, 10, 10);
    EXPECT_EQ(g.clicks, 1);
}

TEST(CommandTransitions, PressElsewhereThenReleaseOverTheButtonRaisesNothing) {
    // A drag from the dialog's background onto the button: it sees a move and a release.
    Fixture f;
    f.driveTo(kStateFocused);
    f.button.mouseMove(kLeftButton, 0, 10, 10);
    f.button.mouseUp(kLeftButton, 0, 10, 10);
    EXPECT_EQ(f.clicks, 0);
    // The next real click still works.
    f.button.mouseDown(kLeftButton, 0, 10, 10);
    f.button.mouseUp(kLeftButton, 0, 10, 10);
    EXPECT_EQ(f.clicks, 1);
}

TEST(CommandTransitions, SpaceAndEnterClickAnEnabledButtonOtherKeysDoNot) {
    Fixture f;
    f.driveTo(kStateFocused);
    f.button.keyPress(kKeySpace);
    f.button.keyPress(kKeyEnter);
    f.button.keyPress(0x1B);  // Esc belongs to the dialog
    f.button.keyPress('A');
    EXPECT_EQ(f.clicks, 2);
    EXPECT_TRUE(f.surface.paints.empty()) << "a key click changes no look";
    f.button.setEnabled(false);
    f.button.keyPress(kKeySpace);
    EXPECT_EQ(f.clicks, 2);
}

TEST(CommandTransitions, BeforeInitializeHoveringChangesNothing) {
    Fixture f;
    f.surface.forget();
    f.button.mouseMove(0, 0, 10, 10);
    EXPECT_EQ(f.button.buttonState(), kStateBeforeInitialize);
    EXPECT_TRUE(f.surface.paints.empty());
    EXPECT_EQ(f.surface.timerInterval, 0u) << "leaving is never noticed";
    // A focus change sets a state; from then on hovering is seen.
    f.button.gotFocus();
    EXPECT_EQ(f.button.buttonState(), kStateFocused);
    f.button.mouseMove(0, 0, 10, 10);
    EXPECT_EQ(f.button.buttonState(), kStateFocusedHover);
}

TEST(CommandTransitions, DisabledButtonShowsDisableAndIgnoresEverything) {
    Fixture f;
    f.driveTo(kStateHover);
    f.button.setEnabled(false);
    EXPECT_EQ(f.surface.paints.back(), (RecordedPaint{Skin::Disable, true}));
    EXPECT_FALSE(f.surface.captionEnabled);
    f.surface.forget();
    for (Event event : {Event::GotFocus, Event::LostFocus, Event::LeftDown, Event::Move,
                        Event::LeftUp, Event::RightUp, Event::TickAway}) {
        fire(f.button, f.surface, event);
    }
    EXPECT_EQ(f.clicks, 0);
    EXPECT_EQ(f.button.buttonState(), kStateHover);
    EXPECT_FALSE(f.button.mouseIsDown());
    EXPECT_TRUE(f.surface.paints.empty());
    // Enabling again paints Normal whatever the state holds.
    f.button.setEnabled(true);
    EXPECT_EQ(f.surface.paints, std::vector<RecordedPaint>{kNormalHover});
    EXPECT_TRUE(f.surface.captionEnabled);
    EXPECT_EQ(f.button.buttonState(), kStateHover);
}

TEST(CommandTransitions, ResizeOfDisabledButtonPaintsDisable) {
    Fixture f;
    f.button.setEnabled(false);
    f.surface.forget();
    f.button.resize();
    EXPECT_EQ(f.surface.paints, (std::vector<RecordedPaint>{{Skin::Disable, false}}));
}

}  // namespace
