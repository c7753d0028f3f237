// Files for the tests, benchmarks and fuzz programs: a scratch working folder
// with an empty map/ inside, whole files written and read, bitmaps built to
// order (broken ones included), and map files and volumes filled with
// position-dependent patterns. Nothing here needs GoogleTest or a display.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// Scratch folders and whole files

// The scratch folder while one is entered (else empty), and the working folder
// from before it.
extern std::filesystem::path scratchFolder;
extern std::filesystem::path folderBeforeScratch;

// Makes a fresh folder under /tmp named after prefix, with map/ inside, and
// makes it the working folder; false when it cannot be made.
bool EnterScratchFolder(const char* prefix);
// Goes back to the folder from before and removes the scratch folder with
// everything in it (a map without permissions included); nothing happens
// when no scratch folder is entered.
void LeaveScratchFolder();
// Writes bytes as the whole file at path; false when a write fails.
bool WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
// The whole file at path; empty when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);
// The names in folder, sorted; empty when it cannot be read.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);
// The names in map/, sorted.
std::vector<std::string> MapFolderEntries();
// Runs action with files limited to limitBytes: writes past the limit fail
// (EFBIG, the signal ignored meanwhile), as on a full disk, and the limit is
// put back afterwards. False when the limit could not be set or put back.
bool RunWithFileSizeLimit(uint64_t limitBytes, const std::function<void()>& action);

// Bitmaps

// What a bitmap file holds; the defaults make a valid 24-bit 4 x 2 file. The
// 54 header bytes are written with the fields below, then the masks; every
// other header byte, and any gap up to the pixel offset, is filler (0xEE).
struct BitmapLayout {
    char magic[2] = {'B', 'M'};
    int32_t width = 4;
    int32_t height = 2;  // negative: top-down
    uint16_t bitsPerPixel = 24;
    uint32_t compression = 0;
    uint32_t offset = 54;
    std::vector<uint32_t> masks;  // written from byte 54 on
    bool padRows = true;          // rows padded to four bytes (with 0xAB)
    std::vector<uint8_t> data;    // the pixels' bytes (B, G, R triplets at 24
                                  // bits), rows in file order, unpadded; empty:
                                  // PixelRamp, when sides are 1..999
    std::vector<uint8_t> tail;    // bytes after the pixel rows
    size_t cutTo = SIZE_MAX;      // file length after writing, when shorter
};

// Width x height x bytesPerPixel distinct-looking bytes (i * 7 + 1).
std::vector<uint8_t> PixelRamp(int32_t width, int32_t height, int32_t bytesPerPixel = 3);
// Writes the bitmap layout describes at path; false when a write fails.
bool WriteBitmapFile(const std::filesystem::path& path, BitmapLayout layout);

// Map files and volumes

// Distinct, position-dependent bytes for each volume; salt picks the pattern.
uint8_t PatternDungeonByte(int64_t cell, int salt);
uint8_t PatternFlagByte(int64_t cell, int salt);
// Fills every cell of both volumes with the pattern of salt and announces it.
void FillVolumesWithPattern(int salt);
// The first of the first count cells (every cell when count is negative) of
// DungeonMap or FlagMap that differs from the pattern, or -1.
int64_t FirstDungeonMismatch(int salt, int64_t count = -1);
int64_t FirstFlagMismatch(int salt, int64_t count = -1);
// The bytes of a complete map file of the pattern: its first N - 1 dungeon
// bytes, then its first N - 1 flag bytes.
std::vector<uint8_t> MapFileOfPattern(int salt);
// The bytes of the map file the volumes as they are would save to.
std::vector<uint8_t> MapFileOfVolumes();
