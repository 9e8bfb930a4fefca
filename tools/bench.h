// Timing helpers for `velmora-tool bench`: medians of repeated runs, printed side by side.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Median wall-clock time of one call, in seconds, over the given number of runs.
double medianSeconds(const std::function<void()>& work, int runs);

// One report line: "<label>  <milliseconds> ms".
void printBenchLine(const std::string& label, double seconds);

// The sections of the report; each prints its own lines.
void benchTextures();
// Scene mesh build, start-up (texture set + mesh) and a scene frame next to an empty one.
void benchGeometry();
// The real frame loop offscreen for 10 s unpaced, 10 s paced at 60 Hz and 10 s unseen, on
// one monitor or on two (monitorCount 1 or 2).
void benchLoop(int32_t monitorCount);
