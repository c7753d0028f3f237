#include "tests/support/ScratchFolder.h"

#include <stdlib.h>

#include <string>

#include "screen/Screen.h"

namespace fs = std::filesystem;

fs::path EnterScratchFolder(const char* prefix, fs::path* previous) {
    *previous = fs::current_path();
    std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
    if (!mkdtemp(pattern.data())) return {};
    fs::path folder = pattern;
    fs::create_directories(folder / "map");
    fs::current_path(folder);
    return folder;
}

void LeaveScratchFolder(const fs::path& folder, const fs::path& previous) {
    fs::current_path(previous);
    std::error_code ignored;
    if (!folder.empty()) {
        fs::permissions(folder / "map" / "0.map", fs::perms::owner_all, ignored);
        fs::remove_all(folder, ignored);
    }
}

int YellowPixelsOnMapLine(int firstColumn, int endColumn) {
    int count = 0;
    for (int y = 88; y <= 99; y++)
        for (int x = firstColumn; x < endColumn; x++) {
            const uint8_t* p = ScreenPixels + (y * ScreenWidth + x) * 4;
            if (p[0] == 255 && p[1] == 255 && p[2] == 0) count++;
        }
    return count;
}
