// A recording ButtonSurface: every repaint is kept as (skin, gradient order), with the
// pieces, gradient requests and caption calls, so tests read what the user would see.
#pragma once

#include <string>
#include <vector>

#include "controls/button_surface.h"

struct RecordedPaint {
    Skin skin = Skin::Normal;
    bool hoverGradient = false;  // top colour of the gradient is the darker one
    bool operator==(const RecordedPaint& other) const {
        return skin == other.skin && hoverGradient == other.hoverGradient;
    }
};

class FakeSurface : public ButtonSurface {
  public:
    TwipsRect size{0, 0, 1155, 375};
    PixelSize pixels{77, 25};
    bool gradientSucceeds = true;
    bool colourSucceeds = true;
    bool pointerOver = true;

    std::vector<std::string> calls;  // every call, in order
    std::vector<RecordedPaint> paints;
    std::vector<SkinPiece> pieces;  // of the latest repaint
    std::vector<GradientRequest> gradients;
    std::vector<std::string> changed;
    TwipsRect captionPlace;
    std::string captionText;
    FontDescription captionFont;
    uint32_t captionColour = 0xFFFFFFFF;
    bool captionEnabled = true;
    bool opaque = true;
    uint32_t timerInterval = 0;  // 0: stopped
    int refreshes = 0;

    void forget() {
        calls.clear();
        paints.clear();
        gradients.clear();
        changed.clear();
        refreshes = 0;
    }

    TwipsRect bounds() override { return size; }
    PixelSize clientPixels() override { return pixels; }
    void clear() override {
        calls.push_back("clear");
        pieces.clear();
        pendingHover_ = false;
    }
    bool fillGradient(const GradientRequest& request) override {
        calls.push_back("gradient");
        gradients.push_back(request);
        // White on top means the plain order.
        pendingHover_ = request.vertices[0].blue != 0xFF00 || request.vertices[0].red != 0xFF00;
        return gradientSucceeds;
    }
    void copySkinPiece(Skin skin, const SkinPiece& piece) override {
        calls.push_back(std::string("piece ") + skinName(skin));
        pieces.push_back(piece);
        pendingSkin_ = skin;
    }
    void refresh() override {
        calls.push_back("refresh");
        ++refreshes;
        if (!pieces.empty() && pieces.size() % 8 == 0) {
            paints.push_back({pendingSkin_, pendingHover_});
        }
    }
    void placeCaption(const TwipsRect& area) override { captionPlace = area; }
    void setCaptionText(const std::string& text) override { captionText = text; }
    void setCaptionFont(const FontDescription& font) override { captionFont = font; }
    bool setCaptionColour(uint32_t colour) override {
        calls.push_back("colour " + std::to_string(colour));
        if (colourSucceeds) {
            captionColour = colour;
        }
        return colourSucceeds;
    }
    void setCaptionEnabled(bool enabled) override { captionEnabled = enabled; }
    void setBackgroundOpaque(bool value) override { opaque = value; }
    void startTimer(uint32_t interval) override { timerInterval = interval; }
    bool pointerIsOverControl() override { return pointerOver; }
    void propertyChanged(const char* name) override { changed.emplace_back(name); }

  private:
    Skin pendingSkin_ = Skin::Normal;
    bool pendingHover_ = false;
};
