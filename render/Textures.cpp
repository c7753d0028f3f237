// Texture upload: every new rendering context gets its own six GL textures
// made from the records the bitmap reader filled at start-up, so no file is
// read again.
#include "render/Textures.h"

#include "screen/OpenGL.h"

uint32_t TextureNames[TextureSlots] = {};
int32_t wallTexture = 1;

void UploadTextures() {
    glGenTextures(TextureSlots, TextureNames);
    // Records hold rows without padding, whatever their width.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int slot = 0; slot < TextureSlots; slot++) {
        const TextureImage& image = TextureImages[slot];
        glBindTexture(GL_TEXTURE_2D, TextureNames[slot]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        // A record with a size but no pixels (its file was cut short) becomes
        // the null texture, like a slot that never loaded: an empty image of
        // the declared size would reserve up to gigabytes of texture memory
        // in every context for nothing.
        const int32_t width = image.pixels ? image.width : 0;
        const int32_t height = image.pixels ? image.height : 0;
        glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, image.pixels);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}
