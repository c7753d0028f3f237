// Writes the map fuzzer's seed corpus into the folder given as the argument:
// small worlds (8 x 8 x 8 cells) of both generation modes saved by the
// program's own SaveMap, and copies of one cut short, cut to nothing and
// made longer. Usage: make_map_seeds <folder>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/Maps.h"
#include "render/Textures.h"
#include "screen/Screen.h"
#include "world/Generation.h"
#include "world/MapFile.h"
#include "world/WorldState.h"

namespace fs = std::filesystem;

static std::vector<char> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

static void WriteAll(const fs::path& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

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

    const fs::path scratch = out / "scratch";
    fs::create_directories(scratch / "map");
    fs::current_path(scratch);
    std::vector<char> mode0;
    for (int mode = 0; mode <= 1; mode++) {
        RegenerateWorld(mode);
        SaveMap(0);
        std::vector<char> map = ReadAll("map/0.map");
        if (map.size() != 2u * (512u - 1u)) {
            std::fprintf(stderr, "make_map_seeds: the saved map has %zu bytes\n", map.size());
            return 1;
        }
        WriteAll(out / ("mode" + std::to_string(mode) + ".map"), map);
        if (mode == 0) mode0 = map;
    }
    fs::current_path(out);
    fs::remove_all(scratch);

    std::vector<char> shortMap(mode0.begin(), mode0.end() - 1);
    WriteAll(out / "short.map", shortMap);
    WriteAll(out / "empty.map", {});
    std::vector<char> longMap = mode0;
    longMap.insert(longMap.end(), mode0.begin(), mode0.begin() + 300);
    WriteAll(out / "long.map", longMap);
    return 0;
}
