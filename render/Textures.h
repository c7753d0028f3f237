// Texture bitmaps: loaded once from bmp_cube/ into memory, uploaded into every
// new rendering context.
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
// Longest side a texture file may declare.
constexpr int32_t MaxTextureSide = 16384;

// The wall texture's slot, 0..4; 1 at start-up.
extern int32_t wallTexture;
// Records TextureImages has room for.
extern int32_t textureCapacity;
extern TextureImage* TextureImages;
extern uint32_t TextureNames[TextureSlots];

// Allocates TextureImages with every record zero.
void AllocateTextureImages();
// Reads an uncompressed 24-bit bitmap into the record of slot; false when the
// file cannot be read or is not such a bitmap (the record then keeps what it
// had), or when its pixel data is short (the record then has the new size
// and no pixels).
bool LoadTextureFile(const char* path, int32_t slot);
// Creates the six GL textures of slots 0..5 in the current context.
void UploadTextures();
