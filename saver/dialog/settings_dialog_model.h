// What the settings dialog shows and stores, without windows: which option is marked,
// which controls are enabled, the repeat box's texts, the file label, the backgrounds,
// the window's place, and the three values "設定" writes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "bgm_settings.h"
#include "settings_file.h"
#include "settings_store.h"

namespace velmora {

// The "##" number format: 0 gives the empty text, others their digits ("-" when negative).
std::string formatHashHash(int value);

// The repeat box's list: an empty entry, then "1" to "30".
std::vector<std::string> repeatListEntries();

// The repeat text as "設定" reads it: a number (blanks, sign, fraction, exponent) rounded
// half to even; letters, an empty text or a number outside -32768..32767 give 0.
int16_t parseRepeatText(const std::string& text);

// The message when "設定" could store nowhere: only the files that could not be written,
// each followed by the reason the system gave (reasonOf turns an error number into its text).
std::string storeFailedMessage(const StoreResult& result,
                               const std::function<std::string(std::uint32_t)>& reasonOf);

class SettingsDialogModel {
  public:
    // The shared settings as loaded; the dialog changes them in memory while it is open.
    explicit SettingsDialogModel(BgmSettings& settings);

    // Form_Load's view of the settings: marks, enabled controls, texts.
    bool isMarked(int option) const { return settings_.kind == option; }
    bool repeatBoxEnabled() const { return repeatBoxEnabled_; }
    bool fileButtonEnabled() const { return fileButtonEnabled_; }
    std::string initialRepeatText() const { return formatHashHash(settings_.repeat); }
    const std::string& fileLabel() const { return settings_.file; }
    const std::string& chooserFolder() const { return settings_.folder; }

    // Any mouse button on a mark or its text. BgmFile and BgmRepeat stay as they are.
    void chooseOption(int option);
    // A file taken from the chooser: the label shows it, the chooser opens in its folder
    // next. False, with nothing changed, for a path the settings file cannot keep whole.
    bool fileChosen(FileSystem& files, AnsiCodec& codec, const std::string& path);
    // "設定": the three keys, in order, whatever option is marked; the dialog closes only
    // when the result's place is not Nowhere.
    StoreResult store(FileSystem& files, AnsiCodec& codec, const std::string& programFolder,
                      const std::string& repeatText);

  private:
    BgmSettings& settings_;
    bool repeatBoxEnabled_ = false;
    bool fileButtonEnabled_ = false;
};

// Window and panel backgrounds: horizontal lines, one per twip of height, coloured by
// |sin(y / k)| with k = height / 3.142, dark at the top and bottom, light in the middle.
enum class BackgroundTone : uint8_t {
    Window,  // (v, v, v + 30): navy to lavender
    Panel,   // (v + 30, v + 30, v + 30): grey
};

struct Rgb8 {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb8& other) const {
        return red == other.red && green == other.green && blue == other.blue;
    }
};

// The colour of line y (twips) of a background heightTwips high.
Rgb8 backgroundLineColour(int32_t y, int32_t heightTwips, BackgroundTone tone);

// The colour each pixel row ends with once every line is drawn (the last line falling on a
// row sets it); pixelRows rows, twipsPerPixel = 1440 / DPI.
std::vector<Rgb8> backgroundPixelRows(int32_t heightTwips, int32_t pixelRows, double twipsPerPixel,
                                      BackgroundTone tone);

// The window's top-left corner (twips): centred horizontally, a third of the free height
// from the top.
struct TwipsPoint {
    int32_t x = 0;
    int32_t y = 0;
};
TwipsPoint dialogPosition(double screenWidthTwips, double screenHeightTwips,
                          double windowWidthTwips, double windowHeightTwips);

}  // namespace velmora
