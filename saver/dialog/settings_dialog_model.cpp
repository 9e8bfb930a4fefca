// The settings dialog's logic.
#include "settings_dialog_model.h"

#include <cmath>

#include "numeric_text.h"

namespace velmora {

std::string formatHashHash(int value) {
    return value == 0 ? std::string() : std::to_string(value);
}

std::vector<std::string> repeatListEntries() {
    std::vector<std::string> entries;
    for (int track = 0; track <= 30; ++track) {
        entries.push_back(formatHashHash(track));
    }
    return entries;
}

int16_t parseRepeatText(const std::string& text) {
    const std::optional<double> number = parseWholeNumber(text);
    if (!number) {
        return 0;
    }
    // A number beyond the 16-bit range has nowhere to go; it stores 0 like a non-number.
    return roundHalfEvenToInt16(*number).value_or(0);
}

std::string storeFailedMessage(const StoreResult& result,
                               const std::function<std::string(std::uint32_t)>& reasonOf) {
    std::string text = "設定を保存できませんでした。\n\n次のファイルに書き込めません:";
    for (const UnwrittenFile& file : result.unwritten) {
        text += "\n" + file.path;
        const std::string reason = file.systemError != 0 ? reasonOf(file.systemError) : "";
        if (!reason.empty()) {
            text += "\n理由: " + reason;
        }
    }
    return text + "\n\nファイルやフォルダーへの書き込みが許されているか確かめてください。";
}

SettingsDialogModel::SettingsDialogModel(BgmSettings& settings) : settings_(settings) {
    // A hand-edited kind outside 0..2 marks nothing and enables neither control.
    repeatBoxEnabled_ = settings_.kind == kBgmCd;
    fileButtonEnabled_ = settings_.kind == kBgmFile;
}

void SettingsDialogModel::chooseOption(int option) {
    settings_.kind = static_cast<int16_t>(option);
    repeatBoxEnabled_ = option == kBgmCd;
    fileButtonEnabled_ = option == kBgmFile;
}

bool SettingsDialogModel::fileChosen(FileSystem& files, AnsiCodec& codec, const std::string& path) {
    if (!musicPathValues(files, codec, path)) {
        return false;
    }
    settings_.file = path;
    settings_.folder = folderOf(path);
    return true;
}

StoreResult SettingsDialogModel::store(FileSystem& files, AnsiCodec& codec,
                                       const std::string& programFolder,
                                       const std::string& repeatText) {
    settings_.repeat = parseRepeatText(repeatText);
    return storeSettings(files, codec, programFolder,
                         SettingsChoice{settings_.kind, settings_.repeat, settings_.file});
}

Rgb8 backgroundLineColour(int32_t y, int32_t heightTwips, BackgroundTone tone) {
    const double k = static_cast<double>(heightTwips) / 3.142;
    // std::nearbyint rounds halves to even in the default rounding mode.
    const int v = static_cast<int>(std::nearbyint(std::fabs(std::sin(y / k)) * 220.0));
    const auto channel = [](int value) { return static_cast<uint8_t>(value); };
    if (tone == BackgroundTone::Window) {
        return {channel(v), channel(v), channel(v + 30)};
    }
    return {channel(v + 30), channel(v + 30), channel(v + 30)};
}

std::vector<Rgb8> backgroundPixelRows(int32_t heightTwips, int32_t pixelRows, double twipsPerPixel,
                                      BackgroundTone tone) {
    std::vector<Rgb8> rows(static_cast<size_t>(pixelRows > 0 ? pixelRows : 0));
    const auto lastLine = static_cast<int32_t>(std::nearbyint(static_cast<double>(heightTwips)));
    for (int32_t y = 0; y <= lastLine; ++y) {
        const auto row = static_cast<int32_t>(y / twipsPerPixel);
        if (row >= 0 && row < pixelRows) {
            rows[static_cast<size_t>(row)] = backgroundLineColour(y, heightTwips, tone);
        }
    }
    return rows;
}

TwipsPoint dialogPosition(double screenWidthTwips, double screenHeightTwips,
                          double windowWidthTwips, double windowHeightTwips) {
    const auto freeWidth =
        static_cast<int64_t>(std::nearbyint(screenWidthTwips - windowWidthTwips));
    const auto freeHeight =
        static_cast<int64_t>(std::nearbyint(screenHeightTwips - windowHeightTwips));
    return {static_cast<int32_t>(freeWidth / 2), static_cast<int32_t>(freeHeight / 3)};
}

}  // namespace velmora
