// Times a whole regeneration in each mode, the two volume fills included:
// holding '1' or '2' runs one on every pass of the main loop.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "world/Generation.h"
#include "world/WorldState.h"

// Milliseconds of each of runs calls to RegenerateWorld(mode).
static std::vector<double> TimeRegeneration(int32_t mode, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; i++) {
        auto start = std::chrono::steady_clock::now();
        RegenerateWorld(mode);
        auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    return times;
}

int main() {
    const int runs = 15;
    AllocateVolumes();
    RegenerateWorld(0);  // touch every page once before timing
    std::printf("RegenerateWorld, %d runs per mode, %d x %d x %d cells\n", runs, worldSide, worldSide, worldLevels);
    for (int32_t mode = 0; mode <= 1; mode++) {
        std::vector<double> times = TimeRegeneration(mode, runs);
        std::sort(times.begin(), times.end());
        std::printf("mode %d: median %.2f ms, best %.2f ms, worst %.2f ms\n", mode, times[times.size() / 2],
                    times.front(), times.back());
    }
    return 0;
}
