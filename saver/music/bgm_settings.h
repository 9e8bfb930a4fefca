// The shared music settings of the front-end: filled from Velmora.ini at start-up, changed
// only by the settings dialog, read by a run. One instance lives for the whole process.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

enum BgmKindValue : std::int16_t { kBgmNone = 0, kBgmCd = 1, kBgmFile = 2 };

struct BgmSettings {
    std::int16_t kind = kBgmNone;  // BgmKind: 0 none, 1 audio CD, 2 music file
    std::int16_t repeat = 0;       // BgmRepeat: CD track to keep playing, 0 the whole disc
    std::string file;              // BgmFile: full path of the MP3 or WAV file (UTF-8), or empty
    std::string folder;            // BgmFolder: where the file chooser opens (UTF-8)
};

}  // namespace velmora
