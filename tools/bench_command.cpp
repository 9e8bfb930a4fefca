// `velmora-tool bench`: reports how long start-up and frame work take on this machine.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench.h"
#include "tool_command.h"

const char* const kBenchHelp =
    "usage: velmora-tool bench\n"
    "Prints the median time of each start-up and frame step next to a baseline\n"
    "measured in the same run, then runs the frame loop offscreen for 10 s unpaced,\n"
    "10 s paced at 60 Hz and 10 s unseen (frames per second, CPU seconds per wall\n"
    "second). Times are reported, never judged.\n";

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
    std::printf("%-44s %10.4f ms\n", label.c_str(), seconds * 1000.0);
}

int runBenchCommand(const ToolArguments& arguments) {
    if (!arguments.empty()) {
        throw UsageError{"unknown option '" + arguments.front() + "'"};
    }
    benchTextures();
    benchGeometry();
    benchLoop();
    return 0;
}
