// Map files: the two volumes as raw bytes, DungeonMap then FlagMap, each
// without its last cell, moved in chunks of MapChunkSize bytes with the
// caller told before and after each. A save goes to a temporary file that
// replaces the map only when it is whole and on disk; a load checks the
// file's size before it changes a cell and puts the volumes back if a read
// fails part-way.
#include "world/MapFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sys/DataFolders.h"
#include "sys/Files.h"
#include "world/WorldState.h"

void FormatMapFileName(int32_t n, char (&filename)[MapFileNameBytes]) {
    std::snprintf(filename, sizeof filename, "%smap/%d.map", saveFolder, static_cast<int>(n));
}

int32_t MapChunkCount() {
    const int64_t cells = VolumeCells();
    return static_cast<int32_t>(2 * ((cells + MapChunkSize - 1) / MapChunkSize));
}

// Moves one volume's first N - 1 cells through the file, chunk by chunk, with
// the caller told before and after each. Returns false at the first chunk
// that does not move whole, or where the caller stops it (*stopped then true).
static bool TransferVolume(FILE* file, uint8_t* volume, bool saving, bool firstVolume, MapProgress progress,
                           bool* stopped) {
    int64_t cells = VolumeCells();
    for (int64_t start = 0; start < cells; start += MapChunkSize) {
        size_t length =
            start + MapChunkSize < cells ? static_cast<size_t>(MapChunkSize) : static_cast<size_t>(cells - start - 1);
        if (!progress(MapChunkStarting, firstVolume)) {
            *stopped = true;
            return false;
        }
        size_t moved =
            saving ? std::fwrite(volume + start, 1, length, file) : std::fread(volume + start, 1, length, file);
        if (!saving) MarkVolumesChanged();
        if (moved != length) return false;
        if (!progress(MapChunkMoved, firstVolume)) {
            *stopped = true;
            return false;
        }
    }
    return true;
}

MapOutcome SaveMapFile(int32_t n, MapProgress progress) {
    char filename[MapFileNameBytes];
    char tempname[MapFileNameBytes + 32];
    FormatMapFileName(n, filename);
    MakeSaveFolder();
    errno = 0;
    FILE* file = SysCreateTempFile(filename, tempname, static_cast<int32_t>(sizeof tempname));
    if (!file) {
        // The system's reason, where the failed creation left one in errno.
        const int failure = errno;
        if (!SysFolderOfExists(filename)) return MapNoFolder;
        if (failure == EROFS || failure == EACCES || failure == EPERM) return MapFolderReadOnly;
#ifdef EDQUOT
        if (failure == EDQUOT) return MapDiskFull;
#endif
        return failure == ENOSPC ? MapDiskFull : MapNotWritten;
    }

    bool stopped = false;
    bool saved = TransferVolume(file, DungeonMap, true, true, progress, &stopped) &&
                 TransferVolume(file, FlagMap, true, false, progress, &stopped);
    if (saved && !progress(MapAllMoved, false)) {
        saved = false;
        stopped = true;
    }
    if (saved) saved = SysFlushFileToDisk(file);
    // Closing flushes too, so its result counts even after a failure above.
    if (std::fclose(file) != 0) saved = false;
    if (saved) saved = SysReplaceFile(tempname, filename);
    if (!saved) {
        SysRemoveFile(tempname);
        return stopped ? MapStopped : MapNotWritten;
    }
    return MapDone;
}

MapOutcome LoadMapFile(int32_t n, MapProgress progress) {
    char filename[MapFileNameBytes];
    FormatMapFileName(n, filename);
    errno = 0;
    FILE* file = std::fopen(filename, "rb");
    if (!file) {
        if (errno != ENOENT) return MapNotReadable;
        return SysFolderOfExists(filename) ? MapNoMap : MapNoFolder;
    }
    int64_t fileBytes = 0;
    if (!SysRegularFileSize(file, &fileBytes)) {
        std::fclose(file);
        return MapNotReadable;
    }

    size_t volumeBytes = static_cast<size_t>(VolumeCells() - 1);
    if (fileBytes < 2 * static_cast<int64_t>(volumeBytes)) {
        std::fclose(file);
        return MapTooShort;
    }
    // The cells as they were, with what was seen of them and the trail, to
    // put back if a read fails part-way: the frames drawn meanwhile look at
    // a world half loaded.
    const size_t seenBytes = static_cast<size_t>(SeenCellBytes()), trailBytes = static_cast<size_t>(TrailCellBytes());
    uint8_t* kept = static_cast<uint8_t*>(std::malloc(2 * volumeBytes + seenBytes + trailBytes));
    if (!kept) {
        std::fclose(file);
        return MapOutOfMemory;
    }
    uint8_t* keptSeen = kept + 2 * volumeBytes;
    uint8_t* keptTrail = keptSeen + seenBytes;
    std::memcpy(kept, DungeonMap, volumeBytes);
    std::memcpy(kept + volumeBytes, FlagMap, volumeBytes);
    std::memcpy(keptSeen, SeenCells, seenBytes);
    std::memcpy(keptTrail, TrailCells, trailBytes);

    bool stopped = false;
    bool loaded = TransferVolume(file, DungeonMap, false, true, progress, &stopped) &&
                  TransferVolume(file, FlagMap, false, false, progress, &stopped);
    std::fclose(file);
    if (!loaded) {
        std::memcpy(DungeonMap, kept, volumeBytes);
        std::memcpy(FlagMap, kept + volumeBytes, volumeBytes);
        std::memcpy(SeenCells, keptSeen, seenBytes);
        std::memcpy(TrailCells, keptTrail, trailBytes);
        MarkVolumesChanged();
        std::free(kept);
        return stopped ? MapStopped : MapNotRead;
    }
    std::free(kept);
    ForgetSeenCells();
    // Every cell is in: a stop asked now comes too late to matter.
    progress(MapAllMoved, false);
    return MapDone;
}
