// The settings dialog's design data: the window and every element at its place, in twips
// (1/1440 inch; 15 twips make a pixel at 96 DPI), relative to the element's container.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmora {

enum class DialogElementKind : uint8_t {
    Button,      // the skinned push button
    Panel,       // the grey picture box holding the music controls
    ComboBox,    // editable drop-down list
    Rectangle,   // a drawn frame
    Label,       // windowless text
    OptionMark,  // windowless 12 x 12 picture of an option
    Link,        // windowless, underlined text that opens the home page
};

enum class DialogContainer : uint8_t { Window, Panel };

enum class DialogElementId : uint8_t {
    CancelButton,   // Cmd_Can
    StoreButton,    // Cmd_Set
    MusicPanel,     // Pic_C (0)
    FileButton,     // Cmd_File (0)
    RepeatBox,      // BGM_Repeat
    TitleFrame,     // Shape3 (3)
    TitleLabel,     // lbl (15)
    OptionMark0,    // Img_BGM (0)
    RepeatCaption,  // lbl (14)
    OptionText1,    // lbl_BGM (1)
    OptionText2,    // lbl_BGM (2)
    OptionMark1,    // Img_BGM (1)
    OptionText0,    // lbl_BGM (0)
    OptionMark2,    // Img_BGM (2)
    FileLabel,      // lbl_Fname (0)
    HomePageLink,   // lbl_URL
    CreditLine,     // lbl (7)
};

// Text colours of labels.
enum class LabelColour : uint8_t { Black, White };

struct DialogElement {
    DialogElementId id;
    DialogElementKind kind;
    DialogContainer container;
    int32_t left, top, width, height;  // twips
    std::string_view text;             // UTF-8
    int8_t tabIndex;                   // -1: takes no focus
    LabelColour colour;
    bool autoSize;  // sized to its text
    bool centred;
};

// Client area of the window: 7440 x 3645 twips (496 x 243 pixels at 96 DPI).
inline constexpr int32_t kDialogClientWidth = 7440;
inline constexpr int32_t kDialogClientHeight = 3645;

// The author's home page, opened by the link.
inline constexpr std::string_view kHomePageAddress = "https://velmora.example.org/";

// In the form's order. Elements that lie outside the client area and serve no handler
// (a spare picture box, the two source pictures of the option marks) are not made at all.
inline constexpr DialogElement kDialogElements[] = {
    {DialogElementId::CancelButton, DialogElementKind::Button, DialogContainer::Window, 6060, 3000,
     1155, 375, "ｷｬﾝｾﾙ", 11, LabelColour::Black, false, true},
    {DialogElementId::StoreButton, DialogElementKind::Button, DialogContainer::Window, 4860, 3000,
     1155, 375, "設定", 10, LabelColour::Black, false, true},
    {DialogElementId::MusicPanel, DialogElementKind::Panel, DialogContainer::Window, 180, 240, 6267,
     2475, "", 1, LabelColour::Black, false, false},
    {DialogElementId::FileButton, DialogElementKind::Button, DialogContainer::Panel, 420, 1740, 615,
     315, "...", 9, LabelColour::Black, false, true},
    {DialogElementId::RepeatBox, DialogElementKind::ComboBox, DialogContainer::Panel, 1680, 780,
     615, 300, "", 2, LabelColour::Black, false, false},
    {DialogElementId::TitleFrame, DialogElementKind::Rectangle, DialogContainer::Panel, 300, 300,
     1695, 315, "", -1, LabelColour::Black, false, false},
    {DialogElementId::TitleLabel, DialogElementKind::Label, DialogContainer::Panel, 300, 360, 1665,
     195, "BGM", 8, LabelColour::Black, false, true},
    {DialogElementId::OptionMark0, DialogElementKind::OptionMark, DialogContainer::Panel, 420, 1140,
     195, 195, "", -1, LabelColour::Black, false, false},
    {DialogElementId::RepeatCaption, DialogElementKind::Label, DialogContainer::Panel, 2340, 840,
     990, 195, "曲目をﾘﾋﾟｰﾄ", 7, LabelColour::Black, true, false},
    {DialogElementId::OptionText1, DialogElementKind::Label, DialogContainer::Panel, 660, 840, 645,
     195, "音楽CD", 6, LabelColour::Black, true, false},
    {DialogElementId::OptionText2, DialogElementKind::Label, DialogContainer::Panel, 660, 1440, 900,
     195, "MP3、WAV", 5, LabelColour::Black, true, false},
    {DialogElementId::OptionMark1, DialogElementKind::OptionMark, DialogContainer::Panel, 420, 840,
     195, 195, "", -1, LabelColour::Black, false, false},
    {DialogElementId::OptionText0, DialogElementKind::Label, DialogContainer::Panel, 660, 1140, 330,
     195, "なし", 4, LabelColour::Black, true, false},
    {DialogElementId::OptionMark2, DialogElementKind::OptionMark, DialogContainer::Panel, 420, 1440,
     195, 195, "", -1, LabelColour::Black, false, false},
    {DialogElementId::FileLabel, DialogElementKind::Label, DialogContainer::Panel, 1080, 1740, 5595,
     495, "", 3, LabelColour::Black, false, false},
    {DialogElementId::HomePageLink, DialogElementKind::Link, DialogContainer::Window, 180, 3120,
     3105, 195, kHomePageAddress, 13, LabelColour::White, true, false},
    {DialogElementId::CreditLine, DialogElementKind::Label, DialogContainer::Window, 180, 2880,
     2475, 195, "Designed by Tarvik Ver.1.0.0", 0, LabelColour::White, true, false},
};

constexpr const DialogElement& dialogElement(DialogElementId id) {
    for (const DialogElement& element : kDialogElements) {
        if (element.id == id) {
            return element;
        }
    }
    return kDialogElements[0];
}

// The option (0 none, 1 audio CD, 2 music file) a mark or text belongs to, or -1.
constexpr int optionIndexOf(DialogElementId id) {
    switch (id) {
        case DialogElementId::OptionMark0:
        case DialogElementId::OptionText0:
            return 0;
        case DialogElementId::OptionMark1:
        case DialogElementId::OptionText1:
            return 1;
        case DialogElementId::OptionMark2:
        case DialogElementId::OptionText2:
            return 2;
        default:
            return -1;
    }
}

}  // namespace velmora
