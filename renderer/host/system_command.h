// Which system commands (WM_SYSCOMMAND) the renderer's window refuses while the shot runs.
#pragma once

#include <cstdint>

// The system's own screen saver (0xF140) and monitor power-down (0xF170) are refused, whatever
// the low four bits (the system uses them itself); every other command goes on to the default
// handling, closing and minimising included.
bool refusesSystemCommand(std::uintptr_t command);
