// The seen file beside a map: what was seen of its world (SeenCells) and the
// trail (TrailCells), in a file of their own, map/<n>.seen, so that the map
// file's bytes stay as they are. A header tells a whole file from a short or
// damaged one and names the map it belongs to; the bits follow with their
// runs of zero bytes folded.
#pragma once
#include <cstdint>

#include "world/MapFile.h"

// How a save or load of the seen file ended.
enum SeenOutcome {
    SeenDone,        // written whole, or read back whole
    SeenNotWritten,  // a save failed: the old seen file is as it was
    SeenMissing,     // a load found no seen file: the world is unseen
    SeenTooShort,    // the file ends before its header or its bits do: the world is unseen
    SeenDamaged,     // the file is not a seen file, or its bits do not add up: the world is unseen
    SeenOtherMap,    // the file is whole but belongs to another map: the world is unseen
};

// The path of map n's seen file: map/<n>.seen in the save folder.
void FormatSeenFileName(int32_t n, char (&filename)[MapFileNameBytes]);
// Writes SeenCells and TrailCells, with a check of DungeonMap as it is, to
// map/<n>.seen, under a temporary name put in place only when whole and on
// disk, as the map is. Call it once the map is saved.
SeenOutcome SaveSeenFile(int32_t n);
// Reads map/<n>.seen back into SeenCells and TrailCells. Call it once the map
// is loaded whole: a file that is missing, short, damaged or of another map
// (its check of DungeonMap differs) leaves both empty, the world unseen.
SeenOutcome LoadSeenFile(int32_t n);
