// Writes the map fuzzer's seed corpus into the folder given as the argument:
// small worlds (8 x 8 x 8 cells) of both generation modes saved by the
// program's own SaveMap, and copies of one cut short, cut to nothing and
// made longer. Usage: make_map_seeds <folder>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Maps.h"
#include "render/Bitmaps.h"
#include "screen/Screen.h"
#include "tests/support/TestFiles.h"
#include "world/Generation.h"
#include "world/MapFile.h"
#include "world/WorldState.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_map_seeds <folder>\n");
        return 2;
    }
    const fs::path out = fs::absolute(argv[1]);
    fs::create_directories(out);
    worldSide = 8;
    worldLevels = 8;
    layerSize = worldSide * worldSide;
    AllocateTextureImages();
    AllocateVolumes();
    AllocateLights();
    PrepareScreenBuffers();

    if (!EnterScratchFolder("talvox-map-seeds")) {
        std::fprintf(stderr, "make_map_seeds: cannot make a scratch folder\n");
        return 1;
    }
    std::vector<uint8_t> mode0;
    for (int mode = 0; mode <= 1; mode++) {
        RegenerateWorld(mode);
        SaveMap(0);
        std::vector<uint8_t> map = ReadFileBytes("map/0.map");
        if (map.size() != 2u * (512u - 1u)) {
            std::fprintf(stderr, "make_map_seeds: the saved map has %zu bytes\n", map.size());
            LeaveScratchFolder();
            return 1;
        }
        WriteFileBytes(out / ("mode" + std::to_string(mode) + ".map"), map);
        if (mode == 0) mode0 = map;
    }
    LeaveScratchFolder();

    std::vector<uint8_t> shortMap(mode0.begin(), mode0.end() - 1);
    WriteFileBytes(out / "short.map", shortMap);
    WriteFileBytes(out / "empty.map", {});
    std::vector<uint8_t> longMap = mode0;
    longMap.insert(longMap.end(), mode0.begin(), mode0.begin() + 300);
    WriteFileBytes(out / "long.map", longMap);
    return 0;
}
