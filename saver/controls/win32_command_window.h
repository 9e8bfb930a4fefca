// CommandWindow: the button as a Windows child window. It draws what Command asks for into
// a backing bitmap of its client area (gradient through GradientFill, skin pieces through
// StretchBlt), lays the caption over it on every paint and feeds Command its messages.
// The program must carry the skin pictures of controls.rc. A Click handler may destroy the
// window (closing the host) but must not delete this object while it runs.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "controls/command_button.h"
#include "controls/twips.h"
#include "win32_gdi.h"

class CommandWindow : public ButtonSurface {
  public:
    // Creates the button at placement (twips, in the parent's client area). With design
    // data the stored properties are read (ambientFont is the host's font); without, the
    // button is a freshly placed one. Returns nullptr when the window cannot be made.
    static std::unique_ptr<CommandWindow> create(HWND parent, const TwipsRect& placement,
                                                 int controlId, PropertyBag* design,
                                                 const FontDescription& ambientFont);
    ~CommandWindow() override;

    CommandWindow(const CommandWindow&) = delete;
    CommandWindow& operator=(const CommandWindow&) = delete;

    Command& control() { return *control_; }
    HWND window() const { return window_; }

    // ButtonSurface
    TwipsRect bounds() override;
    PixelSize clientPixels() override;
    void clear() override;
    bool fillGradient(const GradientRequest& request) override;
    void copySkinPiece(Skin skin, const SkinPiece& piece) override;
    void refresh() override;
    void placeCaption(const TwipsRect& area) override;
    void setCaptionText(const std::string& text) override;
    void setCaptionFont(const FontDescription& font) override;
    bool setCaptionColour(uint32_t colour) override;
    void setCaptionEnabled(bool enabled) override;
    void setBackgroundOpaque(bool opaque) override;
    void startTimer(uint32_t intervalMilliseconds) override;
    bool pointerIsOverControl() override;
    void propertyChanged(const char* name) override;

  private:
    CommandWindow();

    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    void onSize(int32_t width, int32_t height);
    void onPaint();
    void onSetFocus();
    void onKillFocus();
    void onButtonDown(int16_t button, WPARAM keys, LPARAM position);
    void onButtonUp(int16_t button, WPARAM keys, LPARAM position);
    void onMouseMove(WPARAM keys, LPARAM position);
    void onTimer();
    static LRESULT onGetDialogCode(LPARAM message);
    void onKeyDown(WPARAM key, LPARAM flags);

    void invalidate();
    void drawCaption(HDC target);
    void drawParentBackground(HDC target);
    int32_t toPixels(int32_t twips) const;
    int32_t toTwips(int32_t pixels) const;

    HWND window_ = nullptr;
    int32_t dpi_ = kStandardDpi;
    velmora::BackingImage backing_;  // what PaintState drew, kept until the next PaintState
    velmora::BitmapOwner skins_[6];  // before skinDc_, which may hold one of them
    velmora::MemoryDc skinDc_;
    velmora::FontOwner captionFont_;
    std::wstring captionText_;
    RECT captionRect_{0, 0, 0, 0};  // pixels
    COLORREF captionColour_ = RGB(0, 0, 0);
    bool captionEnabled_ = true;
    bool opaque_ = true;
    std::unique_ptr<Command> control_;
};
