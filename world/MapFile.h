// The map file format: the two cell volumes as raw bytes, DungeonMap then
// FlagMap, each without its last cell, no header. Saving and loading move
// the bytes in chunks and tell the caller between chunks, so that the shell
// can show progress and pause; they never draw or wait themselves.
#pragma once
#include <cstdint>

#include "sys/DataFolders.h"

// Bytes moved per chunk.
constexpr int32_t MapChunkSize = 1000000;

// What a save or load tells its caller, in this order: before each chunk of
// DungeonMap (MapChunkStarting with the first volume), before each chunk of
// FlagMap (MapChunkStarting without), after each chunk moved whole
// (MapChunkMoved), and once when all chunks have moved (MapAllMoved; a save
// then still flushes and replaces the map). The caller answers whether to go
// on: false stops the save or load there, as if the next chunk had failed.
enum MapStage { MapChunkStarting, MapChunkMoved, MapAllMoved };
using MapProgress = bool (*)(MapStage stage, bool firstVolume);

// How a save or load ended.
enum MapOutcome {
    MapDone,            // the whole map was written or read
    MapNoFolder,        // no map folder to save into or load from: nothing changed
    MapNoMap,           // a load found no map: nothing changed
    MapNotReadable,     // a load could not open the map, or it is no plain file: nothing changed
    MapFolderReadOnly,  // a save could not make its file in the map folder: the old map is as it was
    MapDiskFull,        // a save found no room for one more file: the old map is as it was
    MapNotWritten,      // a save failed: the old map is as it was
    MapTooShort,        // the file is shorter than a whole map: nothing changed
    MapOutOfMemory,     // no room to keep the cells for a failed read: nothing changed
    MapNotRead,         // a read failed part-way: the cells were put back
    MapStopped,         // the caller stopped it: the cells were put back, or the old map is as it was
};

// How many chunks a whole save or load moves (both volumes), each telling
// its caller MapChunkStarting and MapChunkMoved once.
int32_t MapChunkCount();

// The path of map n: map/<n>.map in the save folder (sys/DataFolders.h).
constexpr int MapFileNameBytes = DataPathBytes + 32;
void FormatMapFileName(int32_t n, char (&filename)[MapFileNameBytes]);
// Writes both volumes to map/<n>.map. The file is written under a temporary
// name and put in place only when whole and on disk; a failure (no map
// folder, a full disk, a read-only map folder) or a stop leaves the old map
// as it was.
MapOutcome SaveMapFile(int32_t n, MapProgress progress);
// Reads map/<n>.map back into both volumes. A missing, unreadable or short
// file changes nothing; a read that fails part-way, or is stopped, puts the
// volumes back as they were, and what was seen and walked (SeenCells,
// TrailCells) as it was before the load; a whole load forgets both (the
// seen file, SeenFile.h, brings them back). A longer file loads its prefix.
MapOutcome LoadMapFile(int32_t n, MapProgress progress);
