// Command: the owner-drawn push button's logic. Focus and hover state machine, the look it
// paints for each state, its persisted properties and its Click event, over a ButtonSurface.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "controls/button_surface.h"
#include "controls/property_bag.h"

// Values of ButtonState.
inline constexpr uint8_t kStateBeforeInitialize = 0;
inline constexpr uint8_t kStateNormal = 1;        // no focus, pointer elsewhere
inline constexpr uint8_t kStateHover = 2;         // no focus, pointer over the button
inline constexpr uint8_t kStateFocused = 3;       // focus, pointer elsewhere
inline constexpr uint8_t kStateFocusedHover = 4;  // focus and pointer over the button

// Mouse button codes of the input handlers.
inline constexpr int16_t kLeftButton = 1;
inline constexpr int16_t kRightButton = 2;
inline constexpr int16_t kMiddleButton = 4;

// Keys that click a focused button (virtual-key codes).
inline constexpr int16_t kKeyEnter = 0x0D;
inline constexpr int16_t kKeySpace = 0x20;

inline constexpr uint32_t kHoverTimerMilliseconds = 100;

// Skin pictures and the caption label at their design sizes, in twips.
inline constexpr int32_t kSkinWidthTwips = 960;
inline constexpr int32_t kSkinHeightTwips = 375;
inline constexpr int32_t kCornerTwips = 60;
inline constexpr int32_t kCaptionHeightTwips = 195;
// A freshly placed button: 117 x 28 pixels.
inline constexpr int32_t kDesignWidthTwips = 1755;
inline constexpr int32_t kDesignHeightTwips = 420;

// The eight frame pieces of a repaint: four corners copied unscaled, four stretched edges.
struct PaintGeometry {
    SkinPiece pieces[8];
};

// Pieces for a control of width x height twips (edge extents rounded to 16-bit twips).
PaintGeometry computePaintGeometry(int32_t widthTwips, int32_t heightTwips);

// Caption label area: full width, text centred about 10 twips above the middle.
TwipsRect captionArea(int32_t widthTwips, int32_t heightTwips);

// "&HRRGGBB" read as red, green, blue pairs, each channel as a 16-bit value (c x 256).
// False when the text is not of that form.
bool gradientColourFromText(const std::string& text, GradientVertex& vertex);

// The gradient of a client area of the given pixel size: white at the top and
// (198, 197, 215) at the bottom, or the other way round for the hover look.
GradientRequest computeGradient(bool hoverGradient, PixelSize client);

// A font as one property text ("975;400;0;0;0;128;face") and back.
std::string formatFontText(const FontDescription& font);
bool parseFontText(const std::string& text, FontDescription& font);

class Command {
  public:
    // A freshly created instance: ButtonState 0, FirstRun 0, Enabled false, timer stopped.
    // The surface must outlive the control.
    explicit Command(ButtonSurface& surface);

    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    // Starts hover tracking; the host calls it once while its form loads.
    void Initialize();

    // Properties. Reading Visible, FontColour and Enabled repaints, as the control always has.
    uint8_t Visible();  // 255 opaque, 0 transparent
    void setVisible(uint8_t value);
    uint32_t FontColour();
    void setFontColour(uint32_t colour);
    bool Enabled();
    void setEnabled(bool enabled);
    const std::string& Caption() const { return caption_; }
    void setCaption(const std::string& text);
    const FontDescription& Font() const { return font_; }
    void setFont(const FontDescription& font);

    // The Click event's handler (one per button).
    void onClick(std::function<void()> handler) { click_ = std::move(handler); }

    // Persistence in the host's design data; ambientFont is the host's font. Read in the
    // order Enabled, Caption, Font, FirstRun, FontColour, Visible; written in the order
    // Enabled, Caption, FirstRun, Font, FontColour, Visible, a value equal to its default
    // left out. Texts: flags "-1" / "0" ("True", "False", "1" also read), numbers in
    // decimal, the font as formatFontText gives it. Both end with RefreshLook.
    void readProperties(PropertyBag& bag, const FontDescription& ambientFont);
    void writeProperties(PropertyBag& bag, const FontDescription& ambientFont);

    // Input handlers; positions in twips, button 1 left, 2 right, 4 middle.
    void gotFocus();
    void lostFocus();
    void mouseDown(int16_t button, int16_t shift, int32_t x, int32_t y);
    void mouseMove(int16_t button, int16_t shift, int32_t x, int32_t y);
    // Raises Click only for a left press that began on the button, released over it.
    void mouseUp(int16_t button, int16_t shift, int32_t x, int32_t y);
    // A key pressed while the button has the focus: Space and Enter click it.
    void keyPress(int16_t keyCode);
    void resize();
    void timerTick();

    // Repaints the whole control with the frame of one skin picture.
    void PaintState(Skin skin);
    void ApplyEnabled();
    void RefreshLook();
    void PointerLeft();

    // State for the host and the tests; these never repaint.
    uint8_t buttonState() const { return buttonState_; }
    bool hoverGradient() const { return hoverGradient_; }
    uint8_t firstRun() const { return firstRun_; }
    bool enabledFlag() const { return enabled_; }
    bool mouseIsDown() const { return mouseIsDown_; }
    bool backgroundOpaque() const { return opaque_; }
    uint32_t captionColour() const { return captionColour_; }

  private:
    // Stops at a failing step; the repaint that called it goes on.
    void FillGradient();
    void raiseClick();

    ButtonSurface& surface_;
    std::function<void()> click_;
    bool hoverGradient_ = false;
    uint8_t firstRun_ = 0;
    bool enabled_ = false;
    uint8_t buttonState_ = kStateBeforeInitialize;
    bool mouseIsDown_ = false;
    bool opaque_ = true;
    std::string caption_ = "Command";
    FontDescription font_ = defaultButtonFont();
    uint32_t captionColour_ = 0;
};
