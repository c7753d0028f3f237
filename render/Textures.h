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
// Bytes of the file and info headers before the pixel data of a plain bitmap.
constexpr uint32_t BitmapHeaderBytes = 54;
// Longest side a texture file may declare.
constexpr int32_t MaxTextureSide = 16384;

extern TextureImage* TextureImages;
extern uint32_t TextureNames[TextureSlots];
// The six bitmaps, by slot.
extern const char* const TextureFiles[TextureSlots];

// Allocates TextureImages with every record zero.
void AllocateTextureImages();
// Reads an uncompressed 24-bit bitmap into the record of slot; false when the
// file cannot be read or is not such a bitmap (the record then keeps what it
// had), or when its pixel data is short (the record then has the new size
// and no pixels).
bool LoadTextureFile(const char* path, int32_t slot);
// Creates the six GL textures of slots 0..5 in the current context.
bool UploadTextures();
