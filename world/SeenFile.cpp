// Seen files: a 32-byte header, then SeenCells and TrailCells as bytes with
// their runs of zero bytes folded. The header, in little-endian words:
//   0  "TALVOXSN"
//   8  version (1)
//  12  worldSide, 16 worldLevels: the sizes the bits are for
//  20  the CRC-32 of DungeonMap as saved in the map file (its cells but the
//      last): the map the file belongs to
//  24  the folded bits' length in bytes
//  28  the CRC-32 of the header's first 28 bytes and the folded bits
// Folded, the bits are pairs of lengths, each a base-128 number (low seven
// bits first, the top bit set on every byte but the last): a run of zero
// bytes, then a run of bytes given as they are, which follow; the pairs
// cover the bits exactly.
#include "world/SeenFile.h"

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "sys/DataFolders.h"
#include "sys/Files.h"
#include "world/WorldState.h"

// SeenCells' words are written as their bytes lie in memory: little-endian
// on every system the program is built for.
static_assert(std::endian::native == std::endian::little, "seen files are little-endian");

namespace {

constexpr char SeenMagic[8] = {'T', 'A', 'L', 'V', 'O', 'X', 'S', 'N'};
constexpr uint32_t SeenVersion = 1;
constexpr size_t SeenHeaderBytes = 32;

// The CRC-32 (reflected, polynomial 0xEDB88320) of bytes, continuing crc.
uint32_t Crc32(uint32_t crc, const uint8_t* bytes, size_t count) {
    static uint32_t table[256];
    if (table[1] == 0)
        for (uint32_t n = 0; n < 256; n++) {
            uint32_t c = n;
            for (int k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    crc = ~crc;
    for (size_t i = 0; i < count; i++) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

// The check of the map the bits belong to: DungeonMap as the map file holds it.
uint32_t MapCheck() { return Crc32(0, DungeonMap, static_cast<size_t>(VolumeCells() - 1)); }

void PutWord(uint8_t* at, uint32_t word) {
    for (int k = 0; k < 4; k++) at[k] = static_cast<uint8_t>(word >> (8 * k));
}

uint32_t WordAt(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

void PutLength(std::vector<uint8_t>& out, size_t length) {
    while (length >= 0x80) {
        out.push_back(static_cast<uint8_t>(length | 0x80));
        length >>= 7;
    }
    out.push_back(static_cast<uint8_t>(length));
}

// Reads a length at *at, before end; false when it runs past end or is
// longer than any file could need.
bool TakeLength(const uint8_t** at, const uint8_t* end, size_t* length) {
    *length = 0;
    for (int shift = 0; shift < 35; shift += 7) {
        if (*at == end) return false;
        const uint8_t byte = *(*at)++;
        *length |= static_cast<size_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80)) return true;
    }
    return false;
}

// The two blocks the file holds, in order.
struct SeenBlock {
    uint8_t* bytes;
    size_t count;
};

// The byte at offset i of the blocks together.
uint8_t& BlockByte(const SeenBlock (&blocks)[2], size_t i) {
    return i < blocks[0].count ? blocks[0].bytes[i] : blocks[1].bytes[i - blocks[0].count];
}

void Fold(const SeenBlock (&blocks)[2], std::vector<uint8_t>& out) {
    const size_t total = blocks[0].count + blocks[1].count;
    size_t i = 0;
    while (i < total) {
        const size_t zerosFrom = i;
        while (i < total && BlockByte(blocks, i) == 0) i++;
        const size_t literalsFrom = i;
        // A run of bytes as they are ends where two zero bytes in a row begin
        // (a single zero costs less kept in the run).
        while (i < total && (BlockByte(blocks, i) != 0 || (i + 1 < total && BlockByte(blocks, i + 1) != 0))) i++;
        PutLength(out, literalsFrom - zerosFrom);
        PutLength(out, i - literalsFrom);
        for (size_t k = literalsFrom; k < i; k++) out.push_back(BlockByte(blocks, k));
    }
}

// Unfolds folded bits into the blocks; false when they do not cover them
// exactly.
bool Unfold(const uint8_t* at, const uint8_t* end, const SeenBlock (&blocks)[2]) {
    const size_t total = blocks[0].count + blocks[1].count;
    size_t i = 0;
    while (at < end) {
        size_t zeros = 0, literals = 0;
        if (!TakeLength(&at, end, &zeros) || !TakeLength(&at, end, &literals)) return false;
        if (zeros > total - i || literals > total - i - zeros || literals > static_cast<size_t>(end - at)) return false;
        for (size_t k = 0; k < zeros; k++) BlockByte(blocks, i++) = 0;
        for (size_t k = 0; k < literals; k++) BlockByte(blocks, i++) = *at++;
    }
    return i == total;
}

SeenBlock (&SeenBlocks())[2] {
    static SeenBlock blocks[2];
    blocks[0] = {reinterpret_cast<uint8_t*>(SeenCells), static_cast<size_t>(SeenCellBytes())};
    blocks[1] = {TrailCells, static_cast<size_t>(TrailCellBytes())};
    return blocks;
}

}  // namespace

void FormatSeenFileName(int32_t n, char (&filename)[MapFileNameBytes]) {
    std::snprintf(filename, sizeof filename, "%smap/%d.seen", saveFolder, static_cast<int>(n));
}

SeenOutcome SaveSeenFile(int32_t n) {
    std::vector<uint8_t> file(SeenHeaderBytes);
    Fold(SeenBlocks(), file);
    std::memcpy(file.data(), SeenMagic, sizeof SeenMagic);
    PutWord(&file[8], SeenVersion);
    PutWord(&file[12], static_cast<uint32_t>(worldSide));
    PutWord(&file[16], static_cast<uint32_t>(worldLevels));
    PutWord(&file[20], MapCheck());
    PutWord(&file[24], static_cast<uint32_t>(file.size() - SeenHeaderBytes));
    const uint32_t crc = Crc32(Crc32(0, file.data(), 28), file.data() + SeenHeaderBytes, file.size() - SeenHeaderBytes);
    PutWord(&file[28], crc);

    char filename[MapFileNameBytes];
    char tempname[MapFileNameBytes + 32];
    FormatSeenFileName(n, filename);
    MakeSaveFolder();
    FILE* out = SysCreateTempFile(filename, tempname, static_cast<int32_t>(sizeof tempname));
    if (!out) return SeenNotWritten;
    bool saved = std::fwrite(file.data(), 1, file.size(), out) == file.size() && SysFlushFileToDisk(out);
    // Closing flushes too, so its result counts even after a failure above.
    if (std::fclose(out) != 0) saved = false;
    if (saved) saved = SysReplaceFile(tempname, filename);
    if (!saved) {
        SysRemoveFile(tempname);
        return SeenNotWritten;
    }
    return SeenDone;
}

// Reads the seen file into the bits; anything but SeenDone leaves them as
// they may be, half filled.
static SeenOutcome ReadSeenFile(int32_t n) {
    char filename[MapFileNameBytes];
    FormatSeenFileName(n, filename);
    errno = 0;
    FILE* in = std::fopen(filename, "rb");
    if (!in) return errno == ENOENT ? SeenMissing : SeenDamaged;
    int64_t fileBytes = 0;
    const SeenBlock(&blocks)[2] = SeenBlocks();
    // Folded, the bits never take more than a few bytes over their size.
    const int64_t longest = static_cast<int64_t>(SeenHeaderBytes + 2 * (blocks[0].count + blocks[1].count) + 16);
    if (!SysRegularFileSize(in, &fileBytes) || fileBytes > longest) {
        std::fclose(in);
        return SeenDamaged;
    }
    std::vector<uint8_t> file(static_cast<size_t>(fileBytes));
    const bool read = std::fread(file.data(), 1, file.size(), in) == file.size();
    std::fclose(in);
    if (!read) return SeenDamaged;
    if (file.size() < SeenHeaderBytes)
        return file.size() < sizeof SeenMagic || std::memcmp(file.data(), SeenMagic, sizeof SeenMagic) == 0
                   ? SeenTooShort
                   : SeenDamaged;
    if (std::memcmp(file.data(), SeenMagic, sizeof SeenMagic) != 0 || WordAt(&file[8]) != SeenVersion ||
        WordAt(&file[12]) != static_cast<uint32_t>(worldSide) ||
        WordAt(&file[16]) != static_cast<uint32_t>(worldLevels))
        return SeenDamaged;
    const size_t folded = WordAt(&file[24]);
    if (file.size() - SeenHeaderBytes < folded) return SeenTooShort;
    if (file.size() - SeenHeaderBytes > folded) return SeenDamaged;
    const uint8_t* bits = file.data() + SeenHeaderBytes;
    if (Crc32(Crc32(0, file.data(), 28), bits, folded) != WordAt(&file[28]) || !Unfold(bits, bits + folded, blocks))
        return SeenDamaged;
    return WordAt(&file[20]) == MapCheck() ? SeenDone : SeenOtherMap;
}

SeenOutcome LoadSeenFile(int32_t n) {
    const SeenOutcome outcome = ReadSeenFile(n);
    if (outcome != SeenDone) ForgetSeenCells();
    return outcome;
}
