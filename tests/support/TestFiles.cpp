// Scratch folders, whole files, bitmaps and map patterns for the tests,
// benchmarks and fuzz programs.
#include "tests/support/TestFiles.h"

#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>

#include "world/WorldState.h"

namespace fs = std::filesystem;

fs::path scratchFolder;
fs::path folderBeforeScratch;

// Scratch folders and whole files

bool EnterScratchFolder(const char* prefix) {
    folderBeforeScratch = fs::current_path();
    std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
    if (!mkdtemp(pattern.data())) return false;
    scratchFolder = pattern;
    std::error_code failed;
    fs::create_directories(scratchFolder / "map", failed);
    if (!failed) fs::current_path(scratchFolder, failed);
    return !failed;
}

void LeaveScratchFolder() {
    if (scratchFolder.empty()) return;
    std::error_code ignored;
    fs::current_path(folderBeforeScratch, ignored);
    fs::permissions(scratchFolder / "map" / "0.map", fs::perms::owner_all, ignored);
    fs::remove_all(scratchFolder, ignored);
    scratchFolder.clear();
}

bool WriteFileBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

std::vector<uint8_t> ReadFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code failed;
    for (const auto& entry : fs::directory_iterator(folder, failed)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> MapFolderEntries() { return FolderEntries("map"); }

bool RunWithFileSizeLimit(uint64_t limitBytes, const std::function<void()>& action) {
    struct rlimit saved;
    if (getrlimit(RLIMIT_FSIZE, &saved) != 0) return false;
    struct rlimit limited = saved;
    limited.rlim_cur = static_cast<rlim_t>(limitBytes);
    void (*previousHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    const bool set = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    if (set) action();
    const bool restored = setrlimit(RLIMIT_FSIZE, &saved) == 0;
    std::signal(SIGXFSZ, previousHandler);
    return set && restored;
}

// Bitmaps

static void PutLittle(std::vector<uint8_t>& bytes, size_t at, uint32_t value, int count) {
    for (int i = 0; i < count; i++) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint8_t> PixelRamp(int32_t width, int32_t height, int32_t bytesPerPixel) {
    std::vector<uint8_t> data(static_cast<size_t>(width) * height * bytesPerPixel);
    for (size_t i = 0; i < data.size(); i++) data[i] = static_cast<uint8_t>(i * 7 + 1);
    return data;
}

bool WriteBitmapFile(const fs::path& path, BitmapLayout layout) {
    const int32_t bytesPerPixel = layout.bitsPerPixel == 32 ? 4 : 3;
    const int64_t rows = std::abs(static_cast<int64_t>(layout.height));
    if (layout.data.empty() && layout.width > 0 && rows > 0 && layout.width < 1000 && rows < 1000)
        layout.data = PixelRamp(layout.width, static_cast<int32_t>(rows), bytesPerPixel);
    const size_t headerBytes = 54 + 4 * layout.masks.size();
    std::vector<uint8_t> bytes(std::max<size_t>(layout.offset, headerBytes), 0xEE);
    bytes[0] = static_cast<uint8_t>(layout.magic[0]);
    bytes[1] = static_cast<uint8_t>(layout.magic[1]);
    PutLittle(bytes, 10, layout.offset, 4);
    PutLittle(bytes, 14, 40, 4);
    PutLittle(bytes, 18, static_cast<uint32_t>(layout.width), 4);
    PutLittle(bytes, 22, static_cast<uint32_t>(layout.height), 4);
    PutLittle(bytes, 26, 1, 2);
    PutLittle(bytes, 28, layout.bitsPerPixel, 2);
    PutLittle(bytes, 30, layout.compression, 4);
    for (size_t i = 0; i < layout.masks.size(); i++) PutLittle(bytes, 54 + 4 * i, layout.masks[i], 4);
    if (!layout.data.empty() && layout.width > 0) {
        const size_t rowBytes = static_cast<size_t>(layout.width) * bytesPerPixel;
        for (size_t row = 0; row < layout.data.size() / rowBytes; row++) {
            bytes.insert(bytes.end(), layout.data.begin() + row * rowBytes, layout.data.begin() + (row + 1) * rowBytes);
            if (layout.padRows)
                for (size_t pad = rowBytes; pad % 4 != 0; pad++) bytes.push_back(0xAB);
        }
    }
    bytes.insert(bytes.end(), layout.tail.begin(), layout.tail.end());
    if (layout.cutTo < bytes.size()) bytes.resize(layout.cutTo);
    return WriteFileBytes(path, bytes);
}

// Map files and volumes

uint8_t PatternDungeonByte(int64_t cell, int salt) {
    return static_cast<uint8_t>((cell * 7 + cell / 251 + salt) & 0xFF);
}

uint8_t PatternFlagByte(int64_t cell, int salt) {
    return static_cast<uint8_t>((cell * 13 + cell / 509 + 3 * salt + 1) & 0xFF);
}

void FillVolumesWithPattern(int salt) {
    const int64_t cells = VolumeCells();
    for (int64_t i = 0; i < cells; i++) {
        DungeonMap[i] = PatternDungeonByte(i, salt);
        FlagMap[i] = PatternFlagByte(i, salt);
    }
    MarkVolumesChanged();
}

static int64_t FirstMismatch(const uint8_t* volume, uint8_t (*pattern)(int64_t, int), int salt, int64_t count) {
    if (count < 0) count = VolumeCells();
    for (int64_t i = 0; i < count; i++)
        if (volume[i] != pattern(i, salt)) return i;
    return -1;
}

int64_t FirstDungeonMismatch(int salt, int64_t count) {
    return FirstMismatch(DungeonMap, PatternDungeonByte, salt, count);
}

int64_t FirstFlagMismatch(int salt, int64_t count) { return FirstMismatch(FlagMap, PatternFlagByte, salt, count); }

std::vector<uint8_t> MapFileOfPattern(int salt) {
    const size_t saved = static_cast<size_t>(VolumeCells() - 1);
    std::vector<uint8_t> bytes(2 * saved);
    for (size_t i = 0; i < saved; i++) {
        bytes[i] = PatternDungeonByte(static_cast<int64_t>(i), salt);
        bytes[saved + i] = PatternFlagByte(static_cast<int64_t>(i), salt);
    }
    return bytes;
}

std::vector<uint8_t> MapFileOfVolumes() {
    const size_t saved = static_cast<size_t>(VolumeCells() - 1);
    std::vector<uint8_t> bytes(2 * saved);
    std::memcpy(bytes.data(), DungeonMap, saved);
    std::memcpy(bytes.data() + saved, FlagMap, saved);
    return bytes;
}
