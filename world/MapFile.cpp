// Map files: the two volumes as raw bytes, DungeonMap then FlagMap, each
// without its last cell, moved in steps of MapChunkSize bytes with a frame
// and a one-second pause per step and a progress line while the first volume
// moves. A save goes to a temporary file that replaces the map only when it
// is whole and on disk; a load checks the file's size before it changes a
// cell and puts the volumes back if a read fails part-way.
#include "world/MapFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/Files.h"
#include "app/Platform.h"
#include "render/Frame.h"
#include "screen/Font.h"
#include "screen/Screen.h"
#include "world/WorldState.h"

constexpr int MapFileNameBytes = 256;

// Where the progress and failure lines are drawn, and their colour.
constexpr int32_t MapLineX = 20;
constexpr int32_t MapLineY = 100;

// Formats the relative path of map n (map/<n>.map) into filename.
static void FormatMapFileName(int32_t n, char (&filename)[MapFileNameBytes]) {
    std::snprintf(filename, sizeof filename, "map/%d.map", static_cast<int>(n));
}

// Draws line in the map line's place and colour over the current picture.
static void DrawMapLine(const char* line) {
    FormatTextLine("%s", line);
    DrawTextLine(MapLineX, MapLineY, 255, 255, 0);
}

// Shows a failure over a fresh frame and holds it for the user to read.
static void ShowMapFailure(const char* message) {
    RenderFrame();
    DrawMapLine(message);
    PresentScreen();
    PlatformSwapBuffers();
    PlatformSleep(MapFailurePauseMilliseconds);
}

// Moves one volume's first N - 1 cells through the file, chunk by chunk: a
// frame (shown with progress when it is not null), the transfer, a pause.
// Returns false at the first chunk that does not move whole.
static bool TransferVolume(FILE* file, uint8_t* volume, bool saving, const char* progress) {
    int64_t cells = VolumeCells();
    for (int64_t start = 0; start < cells; start += MapChunkSize) {
        size_t length = start + MapChunkSize < cells ? static_cast<size_t>(MapChunkSize)
                                                     : static_cast<size_t>(cells - start - 1);
        RenderFrame();
        if (progress) {
            DrawMapLine(progress);
            PresentScreen();
            PlatformSwapBuffers();
        }
        size_t moved = saving ? std::fwrite(volume + start, 1, length, file)
                              : std::fread(volume + start, 1, length, file);
        if (!saving) MarkVolumesChanged();
        if (moved != length) return false;
        PlatformSleep(MapChunkPauseMilliseconds);
    }
    return true;
}

void SaveMap(int32_t n) {
    char filename[MapFileNameBytes];
    char tempname[MapFileNameBytes + 32];
    FormatMapFileName(n, filename);
    FILE* file = PlatformCreateTempFile(filename, tempname, static_cast<int32_t>(sizeof tempname));
    if (!file) {
        // Without a map folder there is nothing to save into and nothing is
        // shown; a folder that takes no new file (read-only, full) is a
        // failed save and says so.
        if (PlatformFolderOfExists(filename)) ShowMapFailure("Saving failed: map not written");
        return;
    }

    bool saved = TransferVolume(file, DungeonMap, true, "Saving dungeon maps") &&
                 TransferVolume(file, FlagMap, true, nullptr);
    if (saved) {
        RenderFrame();
        PlatformSleep(MapChunkPauseMilliseconds);
        saved = PlatformFlushFileToDisk(file);
    }
    // Closing flushes too, so its result counts even after a failure above.
    if (std::fclose(file) != 0) saved = false;
    if (saved) saved = PlatformReplaceFile(tempname, filename);
    if (!saved) {
        PlatformRemoveFile(tempname);
        ShowMapFailure("Saving failed: map not written");
    }
}

void LoadMap(int32_t n) {
    char filename[MapFileNameBytes];
    FormatMapFileName(n, filename);
    FILE* file = std::fopen(filename, "rb");
    if (!file) return;
    int64_t fileBytes = 0;
    if (!PlatformRegularFileSize(file, &fileBytes)) {
        std::fclose(file);
        return;
    }

    size_t volumeBytes = static_cast<size_t>(VolumeCells() - 1);
    if (fileBytes < 2 * static_cast<int64_t>(volumeBytes)) {
        std::fclose(file);
        ShowMapFailure("Loading failed: map too short");
        return;
    }
    // The cells as they were, to put back if a read fails part-way.
    uint8_t* kept = static_cast<uint8_t*>(std::malloc(2 * volumeBytes + 1));
    if (!kept) {
        std::fclose(file);
        ShowMapFailure("Loading failed: out of memory");
        return;
    }
    std::memcpy(kept, DungeonMap, volumeBytes);
    std::memcpy(kept + volumeBytes, FlagMap, volumeBytes);

    bool loaded = TransferVolume(file, DungeonMap, false, "Loading dungeon maps") &&
                  TransferVolume(file, FlagMap, false, nullptr);
    std::fclose(file);
    if (!loaded) {
        std::memcpy(DungeonMap, kept, volumeBytes);
        std::memcpy(FlagMap, kept + volumeBytes, volumeBytes);
        MarkVolumesChanged();
        std::free(kept);
        ShowMapFailure("Loading failed: map not read");
        return;
    }
    std::free(kept);
    RenderFrame();
    PlatformSleep(MapChunkPauseMilliseconds);
}
