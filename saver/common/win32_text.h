// Text at the front-end's edge to Windows: UTF-8 inside, UTF-16 for the W calls, and the
// system's ANSI code page where files keep it.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

std::wstring utf8ToWide(std::string_view utf8);
std::string wideToUtf8(std::wstring_view wide);
std::string ansiToUtf8(std::string_view ansi);
std::string utf8ToAnsi(std::string_view utf8);

}  // namespace velmora
