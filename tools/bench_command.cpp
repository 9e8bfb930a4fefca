// `velmora-tool bench`: reports how long start-up and frame work take on this machine.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench.h"
#include "option_reader.h"
#include "tool_command.h"

const char* const kBenchHelp =
    "usage: velmora-tool bench [--monitors 1|2]\n"
    "Prints the median time of each start-up and frame step next to a baseline\n"
    "measured in the same run, then runs the frame loop offscreen for 10 s unpaced,\n"
    "10 s paced at 60 Hz and 10 s unseen (frames per second, CPU seconds per wall\n"
    "second). Times are reported, never judged.\n"
    "  --monitors N  the loop on one monitor at 1024x768 (the default) or on two, with\n"
    "                a 1280x1024 monitor beside it, the shot drawn on each\n";

double medianSeconds(const std::function<void()>& work, int runs) {
    std::vector<double> times;
    times.reserve(static_cast<size_t>(runs));
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        times.push_back(elapsed.count());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[static_cast<size_t>(runs / 2)];
}

void printBenchLine(const std::string& label, double seconds) {
    std::printf("%-56s %10.4f ms\n", label.c_str(), seconds * 1000.0);
}

int runBenchCommand(const ToolArguments& arguments) {
    int32_t monitorCount = 1;
    OptionReader reader(arguments);
    std::string option;
    while (reader.next(option)) {
        if (option != "--monitors") {
            throw UsageError{"unknown option '" + option + "'"};
        }
        monitorCount = parseInteger(option, reader.value(option));
        if (monitorCount != 1 && monitorCount != 2) {
            throw UsageError{"--monitors wants 1 or 2"};
        }
    }
    benchTextures();
    benchGeometry();
    benchLoop(monitorCount);
    return 0;
}
