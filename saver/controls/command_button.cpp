// Command's logic: every repaint, transition and property goes through here, so that the
// Windows window only forwards messages and draws what it is told.
#include "controls/command_button.h"

#include <limits>
#include <optional>
#include <string_view>

#include "common/whole_number.h"

namespace {

// The two gradient colours as the control has always stated them.
constexpr const char* kGradientColourA = "&HFFFFFF";  // white
constexpr const char* kGradientColourB = "&HC6C5D7";  // (198, 197, 215)

constexpr const char* kReadDefaultCaption = "Command1";
constexpr const char* kWriteDefaultCaption = "Command";
constexpr const char* kDesignCaption = "Command";
// The caption label as designed: left 0, top 90, width 1635, height 195 twips.
constexpr TwipsRect kDesignCaptionArea{0, 90, 1635, kCaptionHeightTwips};

// Twips extents are 16-bit in the control's geometry.
int32_t toSixteenBit(int32_t twips) {
    if (twips > std::numeric_limits<int16_t>::max()) {
        return std::numeric_limits<int16_t>::max();
    }
    if (twips < std::numeric_limits<int16_t>::min()) {
        return std::numeric_limits<int16_t>::min();
    }
    return twips;
}

// A whole decimal number within [low, high]; blanks before it (as the C library reads
// numbers), spaces after it and a sign of either kind allowed.
bool parseInteger(const std::string& text, long long low, long long high, long long& value) {
    const std::optional<long long> parsed = velmora::parseWholeInteger(
        text, low, high, velmora::WholeNumberForm{10, true, velmora::kCLibrarySpaces, " "});
    if (!parsed) {
        return false;
    }
    value = *parsed;
    return true;
}

bool equalsIgnoringCase(const std::string& text, const char* word) {
    size_t i = 0;
    for (; i < text.size() && word[i] != '\0'; ++i) {
        const char a = static_cast<char>(text[i] | 0x20);
        const char b = static_cast<char>(word[i] | 0x20);
        if (a != b) {
            return false;
        }
    }
    return i == text.size() && word[i] == '\0';
}

// Flags are stored as "-1" / "0"; "True", "False" and "1" are read as well.
bool parseFlag(const std::string& text, bool& flag) {
    if (equalsIgnoringCase(text, "true")) {
        flag = true;
        return true;
    }
    if (equalsIgnoringCase(text, "false")) {
        flag = false;
        return true;
    }
    long long number = 0;
    if (!parseInteger(text, std::numeric_limits<int16_t>::min(),
                      std::numeric_limits<int16_t>::max(), number)) {
        return false;
    }
    flag = number != 0;
    return true;
}

std::string readText(PropertyBag& bag, const char* name, const char* fallback) {
    std::optional<std::string> stored = bag.read(name);
    return stored ? *stored : std::string(fallback);
}

void writeUnlessDefault(PropertyBag& bag, const char* name, const std::string& value,
                        const std::string& fallback) {
    if (value != fallback) {
        bag.write(name, value);
    }
}

}  // namespace

const char* skinName(Skin skin) {
    switch (skin) {
        case Skin::Normal:
            return "Normal";
        case Skin::HighLight:
            return "HighLight";
        case Skin::Pressed:
            return "Pressed";
        case Skin::Selected:
            return "Selected";
        case Skin::HighLightSelect:
            return "HighLightSelect";
        case Skin::Disable:
            return "Disable";
    }
    return "?";
}

bool FontDescription::operator==(const FontDescription& other) const {
    return faceName == other.faceName && sizeCentipoints == other.sizeCentipoints &&
           weight == other.weight && italic == other.italic && underline == other.underline &&
           strikethrough == other.strikethrough && charset == other.charset;
}

FontDescription defaultButtonFont() {
    FontDescription font;
    font.faceName =
        "\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3"
        "\x82\xAF";  // "ＭＳ Ｐゴシック"
    font.sizeCentipoints = 975;
    font.weight = 400;
    font.charset = 128;  // Shift-JIS
    return font;
}

PaintGeometry computePaintGeometry(int32_t widthTwips, int32_t heightTwips) {
    const int32_t c = kCornerTwips;
    const int32_t w = widthTwips;
    const int32_t h = heightTwips;
    const int32_t edgeWidth = toSixteenBit(w - 2 * c);
    const int32_t edgeHeight = toSixteenBit(h - 2 * c);
    // Source rectangles: corners 60 x 60, edges the middle 840 columns or 255 rows of the
    // 960 x 375 picture. Destination offsets of 1 twip fall on pixel 0.
    return PaintGeometry{{
        {{1, 1, c, c}, {0, 0, c, c}},                   // top-left
        {{c, 1, edgeWidth, c}, {c, 1, 840, c}},         // top edge
        {{w - c, 1, c, c}, {900, 1, c, c}},             // top-right
        {{w - c, c, c, edgeHeight}, {900, c, c, 255}},  // right edge
        {{w - c, h - c, c, c}, {900, 315, c, c}},       // bottom-right
        {{c, h - c, edgeWidth, c}, {c, 315, 840, c}},   // bottom edge
        {{1, h - c, c, c}, {0, 315, c, c}},             // bottom-left
        {{1, c, c, edgeHeight}, {1, c, c, 255}},        // left edge
    }};
}

TwipsRect captionArea(int32_t widthTwips, int32_t heightTwips) {
    return TwipsRect{0, (heightTwips - kCaptionHeightTwips - 20) / 2, widthTwips,
                     kCaptionHeightTwips};
}

bool gradientColourFromText(const std::string& text, GradientVertex& vertex) {
    if (text.size() < 3 || text[0] != '&' || (text[1] != 'H' && text[1] != 'h')) {
        return false;
    }
    // One to six hexadecimal digits.
    const std::string_view digits = std::string_view(text).substr(2);
    const std::optional<uint32_t> parsed =
        digits.size() <= 6 ? velmora::parseWholeInteger<uint32_t>(digits, 0, 0xFFFFFF,
                                                                  velmora::WholeNumberForm{16})
                           : std::nullopt;
    if (!parsed) {
        return false;
    }
    const uint32_t value = *parsed;
    // Digit pairs 1-2, 3-4, 5-6 of the six-digit form are red, green, blue.
    vertex.red = static_cast<uint16_t>(((value >> 16) & 0xFF) << 8);
    vertex.green = static_cast<uint16_t>(((value >> 8) & 0xFF) << 8);
    vertex.blue = static_cast<uint16_t>((value & 0xFF) << 8);
    return true;
}

GradientRequest computeGradient(bool hoverGradient, PixelSize client) {
    GradientRequest request;
    GradientVertex& top = request.vertices[0];
    GradientVertex& bottom = request.vertices[1];
    gradientColourFromText(hoverGradient ? kGradientColourB : kGradientColourA, top);
    gradientColourFromText(hoverGradient ? kGradientColourA : kGradientColourB, bottom);
    top.x = 0;
    top.y = 0;
    bottom.x = client.width - 1;
    bottom.y = client.height - 1;
    // The rectangle names vertex 1 first and vertex 0 second; a vertical fill still puts
    // vertex 0's colour along the top edge.
    request.upperLeft = 1;
    request.lowerRight = 0;
    return request;
}

std::string formatFontText(const FontDescription& font) {
    return std::to_string(font.sizeCentipoints) + ";" + std::to_string(font.weight) + ";" +
           (font.italic ? "1" : "0") + ";" + (font.underline ? "1" : "0") + ";" +
           (font.strikethrough ? "1" : "0") + ";" + std::to_string(font.charset) + ";" +
           font.faceName;
}

bool parseFontText(const std::string& text, FontDescription& font) {
    // Six numbers, then the face name (which may itself hold semicolons).
    long long numbers[6] = {};
    const long long limits[6][2] = {{1, 163800}, {0, 1000}, {0, 1}, {0, 1}, {0, 1}, {0, 255}};
    size_t start = 0;
    for (int i = 0; i < 6; ++i) {
        const size_t separator = text.find(';', start);
        if (separator == std::string::npos ||
            !parseInteger(text.substr(start, separator - start), limits[i][0], limits[i][1],
                          numbers[i])) {
            return false;
        }
        start = separator + 1;
    }
    FontDescription parsed;
    parsed.sizeCentipoints = static_cast<int32_t>(numbers[0]);
    parsed.weight = static_cast<int32_t>(numbers[1]);
    parsed.italic = numbers[2] != 0;
    parsed.underline = numbers[3] != 0;
    parsed.strikethrough = numbers[4] != 0;
    parsed.charset = static_cast<uint8_t>(numbers[5]);
    parsed.faceName = text.substr(start);
    if (parsed.faceName.empty()) {
        return false;
    }
    font = parsed;
    return true;
}

Command::Command(ButtonSurface& surface) : surface_(surface) {
    surface_.setCaptionText(kDesignCaption);
    surface_.setCaptionFont(font_);
    surface_.setCaptionColour(captionColour_);
    surface_.placeCaption(kDesignCaptionArea);
}

void Command::Initialize() {
    buttonState_ = kStateNormal;
    surface_.startTimer(kHoverTimerMilliseconds);
}

uint8_t Command::Visible() {
    if (!opaque_) {
        return 0;
    }
    RefreshLook();
    return 255;
}

void Command::setVisible(uint8_t value) {
    opaque_ = value != 0;
    surface_.setBackgroundOpaque(opaque_);
    if (opaque_) {
        RefreshLook();
    }
    surface_.propertyChanged("Visible");
}

uint32_t Command::FontColour() {
    const uint32_t colour = captionColour_;
    RefreshLook();
    return colour;
}

void Command::setFontColour(uint32_t colour) {
    if (!surface_.setCaptionColour(colour)) {
        RefreshLook();
        return;
    }
    captionColour_ = colour;
    RefreshLook();
    surface_.propertyChanged("FontColour");
}

bool Command::Enabled() {
    if (firstRun_ == 0) {
        RefreshLook();
        firstRun_ = 1;
        enabled_ = true;
    }
    const bool enabled = enabled_;
    ApplyEnabled();
    return enabled;
}

void Command::setEnabled(bool enabled) {
    enabled_ = enabled;
    surface_.propertyChanged("Enabled");
    ApplyEnabled();
}

void Command::setCaption(const std::string& text) {
    caption_ = text;
    surface_.setCaptionText(caption_);
    surface_.propertyChanged("Caption");
}

void Command::setFont(const FontDescription& font) {
    font_ = font;
    surface_.setCaptionFont(font_);
    surface_.propertyChanged("Font");
}

void Command::readProperties(PropertyBag& bag, const FontDescription& ambientFont) {
    // A value that cannot be read leaves the property as it was.
    bool flag = enabled_;
    if (parseFlag(readText(bag, "Enabled", "-1"), flag)) {
        enabled_ = flag;
    }

    caption_ = readText(bag, "Caption", kReadDefaultCaption);
    surface_.setCaptionText(caption_);

    // Only the face name is taken; size, weight and style stay.
    FontDescription stored = ambientFont;
    if (std::optional<std::string> text = bag.read("Font")) {
        parseFontText(*text, stored);
    }
    font_.faceName = stored.faceName;
    surface_.setCaptionFont(font_);

    long long number = 0;
    if (parseInteger(readText(bag, "FirstRun", "1"), 0, 255, number)) {
        firstRun_ = static_cast<uint8_t>(number);
    }
    if (parseInteger(readText(bag, "FontColour", "0"), 0, 0xFFFFFFFFll, number) &&
        surface_.setCaptionColour(static_cast<uint32_t>(number))) {
        captionColour_ = static_cast<uint32_t>(number);
    }
    if (parseInteger(readText(bag, "Visible", "1"), std::numeric_limits<int16_t>::min(),
                     std::numeric_limits<int16_t>::max(), number)) {
        opaque_ = number != 0;
        surface_.setBackgroundOpaque(opaque_);
    }
    RefreshLook();
}

void Command::writeProperties(PropertyBag& bag, const FontDescription& ambientFont) {
    writeUnlessDefault(bag, "Enabled", enabled_ ? "-1" : "0", "-1");
    writeUnlessDefault(bag, "Caption", caption_, kWriteDefaultCaption);
    writeUnlessDefault(bag, "FirstRun", std::to_string(firstRun_), "1");
    writeUnlessDefault(bag, "Font", formatFontText(font_), formatFontText(ambientFont));
    writeUnlessDefault(bag, "FontColour", std::to_string(captionColour_), "0");
    writeUnlessDefault(bag, "Visible", opaque_ ? "1" : "0", "1");
    RefreshLook();
}

void Command::gotFocus() {
    if (!enabled_) {
        return;
    }
    if (buttonState_ != kStateHover) {
        buttonState_ = kStateFocused;
        PaintState(Skin::Selected);
    } else {
        // Focus given by a click on a hovered button.
        buttonState_ = kStateFocusedHover;
        PaintState(Skin::Pressed);
    }
}

void Command::lostFocus() {
    if (!enabled_) {
        return;
    }
    if (buttonState_ != kStateNormal) {
        buttonState_ = kStateNormal;
        PaintState(Skin::Normal);
    }
}

void Command::mouseDown(int16_t button, int16_t /*shift*/, int32_t /*x*/, int32_t /*y*/) {
    if (!enabled_) {
        return;
    }
    if (button != kLeftButton) {
        return;
    }
    mouseIsDown_ = true;
    // A press on the button proves the pointer is over it, even when no move came first
    // (a move can be lost, and touch and pen press without one).
    if (buttonState_ == kStateNormal) {
        buttonState_ = kStateHover;
    } else if (buttonState_ == kStateFocused) {
        buttonState_ = kStateFocusedHover;
    }
    PaintState(Skin::Pressed);
}

void Command::mouseMove(int16_t /*button*/, int16_t /*shift*/, int32_t /*x*/, int32_t /*y*/) {
    if (!enabled_) {
        return;
    }
    if (buttonState_ == kStateNormal) {
        buttonState_ = kStateHover;
        PaintState(Skin::HighLight);
    }
    // While the left button is held, coming back does not re-enter the hovered state, so a
    // press dragged off and back raises nothing.
    if (buttonState_ == kStateFocused && !mouseIsDown_) {
        buttonState_ = kStateFocusedHover;
        PaintState(Skin::HighLightSelect);
    }
}

void Command::mouseUp(int16_t button, int16_t /*shift*/, int32_t x, int32_t y) {
    if (!enabled_ || button != kLeftButton) {
        return;  // right and middle buttons never click
    }
    // Only a press that began on the button can end in a Click: a release that merely
    // lands here (a drag from elsewhere, a double-click in another window) cannot.
    const bool pressedHere = mouseIsDown_;
    mouseIsDown_ = false;
    if (buttonState_ == kStateHover) {
        PaintState(Skin::Normal);
    }
    if (buttonState_ == kStateFocusedHover) {
        PaintState(Skin::HighLightSelect);
    }
    const TwipsRect area = surface_.bounds();
    const bool releasedOver = x >= 0 && y >= 0 && x < area.width && y < area.height;
    // A press dragged off (the timer has left StateFocusedHover for StateFocused) stays
    // cancelled even when the pointer came back before the release.
    if (pressedHere && releasedOver && buttonState_ != kStateFocused) {
        raiseClick();
    }
}

void Command::keyPress(int16_t keyCode) {
    if (!enabled_ || (keyCode != kKeySpace && keyCode != kKeyEnter)) {
        return;
    }
    raiseClick();
}

void Command::resize() {
    ApplyEnabled();
}

void Command::timerTick() {
    if (!enabled_) {
        return;
    }
    if (!surface_.pointerIsOverControl()) {
        PointerLeft();
    }
}

void Command::PaintState(Skin skin) {
    if (buttonState_ == kStateNormal || buttonState_ == kStateFocused) {
        hoverGradient_ = false;
    } else if (buttonState_ == kStateHover) {
        hoverGradient_ = true;
    }
    const TwipsRect bounds = surface_.bounds();
    const PaintGeometry geometry = computePaintGeometry(bounds.width, bounds.height);
    surface_.clear();
    FillGradient();
    for (const SkinPiece& piece : geometry.pieces) {
        surface_.copySkinPiece(skin, piece);
    }
    surface_.refresh();
    surface_.placeCaption(captionArea(bounds.width, bounds.height));
}

void Command::FillGradient() {
    const GradientRequest request = computeGradient(hoverGradient_, surface_.clientPixels());
    if (!surface_.fillGradient(request)) {
        return;
    }
    surface_.refresh();
}

void Command::ApplyEnabled() {
    if (enabled_) {
        PaintState(Skin::Normal);
        surface_.setCaptionEnabled(true);
    } else {
        PaintState(Skin::Disable);
        surface_.setCaptionEnabled(false);
    }
}

void Command::RefreshLook() {
    if (!enabled_) {
        return;
    }
    surface_.setCaptionEnabled(true);
    if (firstRun_ == 0) {
        // A colour that cannot be set leaves black, which is what is asked for here anyway.
        surface_.setCaptionColour(0);
        captionColour_ = 0;
    }
    PaintState(Skin::Normal);
}

void Command::PointerLeft() {
    if (!enabled_) {
        return;
    }
    if (buttonState_ == kStateHover) {
        buttonState_ = kStateNormal;
        PaintState(Skin::Normal);
    }
    if (buttonState_ == kStateFocusedHover) {
        buttonState_ = kStateFocused;
        PaintState(Skin::Selected);
    }
}

void Command::raiseClick() {
    if (click_) {
        click_();
    }
}
