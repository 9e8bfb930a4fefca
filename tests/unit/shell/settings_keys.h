// The settings file's key names as the tests write them out, once: Shift-JIS as an ANSI file
// keeps them, and UTF-8 as a Unicode file does ("BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ").
#pragma once

#include <string>

namespace velmora::test {

inline const std::string kSjisKind = "BGM\x8B\xE6\x95\xAA";
inline const std::string kSjisRepeat = "BGM\xD8\xCB\xDF\xB0\xC4";
inline const std::string kSjisFile = "BGM\xCC\xA7\xB2\xD9";

inline const std::string kUtf8Kind = "BGM\u533A\u5206";
inline const std::string kUtf8Repeat = "BGM\uFF98\uFF8B\uFF9F\uFF70\uFF84";
inline const std::string kUtf8File = "BGM\uFF8C\uFF67\uFF72\uFF99";

}  // namespace velmora::test
