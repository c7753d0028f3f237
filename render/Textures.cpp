// Texture loading and upload.
#include "render/Textures.h"

#include <cstdio>
#include <cstdlib>

#include "screen/OpenGL.h"
#include "world/WorldState.h"

TextureImage* TextureImages = nullptr;
uint32_t TextureNames[TextureSlots] = {};
const char* const TextureFiles[TextureSlots] = {
    "bmp_cube/structure_castle.bmp", "bmp_cube/brickold2.bmp", "bmp_cube/MIRKEL.bmp",
    "bmp_cube/4_STONEWORK.bmp",      "bmp_cube/brickold3.bmp", "bmp_cube/green.bmp",
};

void AllocateTextureImages() {
    if (TextureImages) return;
    TextureImages = static_cast<TextureImage*>(std::calloc(static_cast<size_t>(textureCapacity), sizeof(TextureImage)));
    if (!TextureImages) {
        std::fprintf(stderr, "talvox: out of memory allocating TextureImages\n");
        std::exit(1);
    }
}

bool LoadTextureFile(const char*, int32_t) { return false; }

bool UploadTextures() { return true; }
