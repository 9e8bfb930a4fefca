// Which process the renderer takes for the screen saver that started it, the one whose end
// ends the run.
#pragma once

#include <cstdint>
#include <string>

// The environment variable in which the screen saver names an inherited handle of itself
// (SYNCHRONIZE) for the renderer it starts, as a decimal number.
inline constexpr const char* kFrontEndHandleVariable = "VELMORA_FRONT_END";

// A process id is reused as soon as its process has ended, so a parent found by id is the
// screen saver only if it was created before the renderer (a later one took a dead parent's
// id). Times in any one unit; exeFile is the program's file name, empty when not known (a
// handle the screen saver handed over), else it must be a screen saver's "*.scr", whatever
// the user renamed it to.
bool isOwnScreenSaver(const std::string& exeFile, uint64_t createdAt, uint64_t selfCreatedAt);

// The handle value named in kFrontEndHandleVariable; 0 when the text is not a decimal number.
uint64_t frontEndHandleValue(const std::string& text);
