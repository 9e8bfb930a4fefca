// What the button control needs from the platform: its size, a drawing surface with the
// skin pictures, a caption label, a timer and the pointer position. The Windows child
// window implements it; the unit tests record it.
#pragma once

#include <cstdint>
#include <string>

// The six skin pictures, each 64 x 25 pixels (960 x 375 twips).
enum class Skin : uint8_t { Normal, HighLight, Pressed, Selected, HighLightSelect, Disable };

const char* skinName(Skin skin);

struct TwipsRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct PixelSize {
    int32_t width = 0;
    int32_t height = 0;
};

// One piece of a skin picture copied onto the control, all in twips.
struct SkinPiece {
    TwipsRect destination;
    TwipsRect source;
};

// One corner of the gradient: position in pixels, channels as 16-bit values (8-bit x 256).
struct GradientVertex {
    int32_t x = 0;
    int32_t y = 0;
    uint16_t red = 0;
    uint16_t green = 0;
    uint16_t blue = 0;
    uint16_t alpha = 0;
};

// A vertical gradient over the client area: colour of vertices[0] along the top edge,
// of vertices[1] along the bottom; the rectangle names its corners by vertex index.
struct GradientRequest {
    GradientVertex vertices[4];
    uint32_t upperLeft = 0;
    uint32_t lowerRight = 0;
};

// A caption font; size in hundredths of a point (9.75 pt is 975), face name in UTF-8.
struct FontDescription {
    std::string faceName;
    int32_t sizeCentipoints = 0;
    int32_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    uint8_t charset = 0;

    bool operator==(const FontDescription& other) const;
    bool operator!=(const FontDescription& other) const { return !(*this == other); }
};

// "ＭＳ Ｐゴシック" 9.75 point, weight 400, Shift-JIS character set.
FontDescription defaultButtonFont();

class ButtonSurface {
  public:
    virtual ~ButtonSurface() = default;

    // The control's current width and height in twips.
    virtual TwipsRect bounds() = 0;
    virtual PixelSize clientPixels() = 0;

    // Drawing into the control's persistent backing image.
    virtual void clear() = 0;
    // False when the fill failed.
    virtual bool fillGradient(const GradientRequest& request) = 0;
    virtual void copySkinPiece(Skin skin, const SkinPiece& piece) = 0;
    // Shows the backing image (and the caption over it) on the screen.
    virtual void refresh() = 0;

    // The caption label, drawn over the face; a disabled label uses the greyed text look.
    virtual void placeCaption(const TwipsRect& area) = 0;
    virtual void setCaptionText(const std::string& text) = 0;
    virtual void setCaptionFont(const FontDescription& font) = 0;
    // False when the colour could not be set; colour is 0x00BBGGRR.
    virtual bool setCaptionColour(uint32_t colour) = 0;
    virtual void setCaptionEnabled(bool enabled) = 0;

    // Opaque: the backing image is the background; transparent: only the caption shows.
    virtual void setBackgroundOpaque(bool opaque) = 0;

    virtual void startTimer(uint32_t intervalMilliseconds) = 0;
    // The window under the pointer is the control's own window.
    virtual bool pointerIsOverControl() = 0;

    // A persisted property changed (the host marks its design data as modified).
    virtual void propertyChanged(const char* name) = 0;
};
