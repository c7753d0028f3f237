// The texture bitmaps in memory: the six files by slot and their records,
// and the reader that loads an uncompressed bitmap file into a record. No
// GL here: Textures.h makes the GL textures from these records.
#pragma once
#include <cstdint>

// One image in memory: width x height pixels of R, G, B, bottom row first.
struct TextureImage {
    uint8_t* pixels;
    int32_t width;
    int32_t height;
    int32_t bytesPerPixel;
};

constexpr int TextureSlots = 6;
// The six bitmaps, by slot, relative to the data folder. Slots 0..4 are the
// wall textures F5..F9 choose.
inline constexpr const char* TextureFiles[TextureSlots] = {
    "bmp_cube/structure_castle.bmp", "bmp_cube/brickold2.bmp", "bmp_cube/MIRKEL.bmp",
    "bmp_cube/4_STONEWORK.bmp",      "bmp_cube/brickold3.bmp", "bmp_cube/green.bmp",
};
// The slots with a fixed use: floors, the cubes of FlagCube cells, and the
// floors of FlagAltTexture cells together with the actors.
constexpr int32_t FloorTextureSlot = 2;
constexpr int32_t CubeTextureSlot = 3;
constexpr int32_t GreenTextureSlot = 5;
// Bytes of the file and info headers before the pixel data of a plain bitmap.
constexpr uint32_t BitmapHeaderBytes = 54;
// Bytes of the red, green and blue masks a 32-bit bitmap with colour masks
// (compression 3) keeps right after those 54.
constexpr uint32_t BitmapMaskBytes = 12;
// Longest side a texture file may declare.
constexpr int32_t MaxTextureSide = 16384;

// Records TextureImages has room for.
extern int32_t textureCapacity;
extern TextureImage* TextureImages;

// Room for the reason a texture file was refused, with its closing zero.
constexpr int TextureRefusalBytes = 32;
// Why the last load of each of the six slots refused its file, in a few
// plain words ("missing", "8-bit palette", "cut short"); empty once it loaded.
extern char TextureRefusals[TextureSlots][TextureRefusalBytes];

// Allocates TextureImages with every record zero.
void AllocateTextureImages();
// Reads an uncompressed bitmap of 24 or 32 bits per pixel (32 with no masks
// or with a whole byte for each colour; alpha ignored), bottom-up or top-down,
// into the record of slot, R, G, B with the bottom row first. False when the
// file cannot be read or is not such a bitmap (the record then keeps what it
// had), or when its pixel data is short (the record then has the new size
// and no pixels); for slots 0..5 the reason goes to TextureRefusals.
bool LoadTextureFile(const char* path, int32_t slot);
