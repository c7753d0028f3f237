// Texture loading and upload. The six bitmaps are read once into
// TextureImages at start-up; every new rendering context gets its own six GL
// textures made from those records, so no file is read again.
#include "render/Textures.h"

#include <cstdio>
#include <cstdlib>

#include "screen/OpenGL.h"

TextureImage* TextureImages = nullptr;
uint32_t TextureNames[TextureSlots] = {};
int32_t wallTexture = 1;
int32_t textureCapacity = 100;

void AllocateTextureImages() {
    if (TextureImages) return;
    TextureImages = static_cast<TextureImage*>(std::calloc(static_cast<size_t>(textureCapacity), sizeof(TextureImage)));
    if (!TextureImages) {
        std::fprintf(stderr, "talvox: out of memory allocating TextureImages\n");
        std::exit(1);
    }
}

// ---------------------------------------------------------------------------
// Reading a bitmap
// ---------------------------------------------------------------------------

static uint32_t ReadLittle32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

static uint16_t ReadLittle16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

// Whether the header describes what the loader reads: "BM", 24 bits per pixel,
// uncompressed (when the info header is long enough to say), pixel data after
// the 54 header bytes, and sides of 1..MaxTextureSide.
static bool IsPlainBitmapHeader(const uint8_t* head) {
    if (head[0] != 'B' || head[1] != 'M') return false;
    if (ReadLittle16(head + 28) != 24) return false;
    uint32_t infoSize = ReadLittle32(head + 14);
    if (infoSize >= 20 && ReadLittle32(head + 30) != 0) return false;
    if (ReadLittle32(head + 10) < BitmapHeaderBytes) return false;
    int32_t width = static_cast<int32_t>(ReadLittle32(head + 18));
    int32_t height = static_cast<int32_t>(ReadLittle32(head + 22));
    return width > 0 && height > 0 && width <= MaxTextureSide && height <= MaxTextureSide;
}

// Reads the pixel rows at offset into pixels, dropping each row's padding to
// four bytes; the last row's padding may be missing. False when the file ends
// before the last pixel.
static bool ReadPixelRows(std::FILE* file, uint32_t offset, int32_t width, int32_t height, uint8_t* pixels) {
    if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0) return false;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const long padding = static_cast<long>((4 - rowBytes % 4) % 4);
    for (int32_t row = 0; row < height; row++) {
        if (std::fread(pixels + rowBytes * static_cast<size_t>(row), 1, rowBytes, file) != rowBytes) return false;
        if (padding != 0 && row + 1 < height && std::fseek(file, padding, SEEK_CUR) != 0) return false;
    }
    return true;
}

// Bytes from offset to the end of the file, or -1 when that cannot be told.
static long BytesAfter(std::FILE* file, uint32_t offset) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(file);
    if (end < 0) return -1;
    return end - static_cast<long>(offset);
}

bool LoadTextureFile(const char* path, int32_t slot) {
    // Read only: the loader never creates or changes a bitmap.
    if (!TextureImages || slot < 0 || slot >= textureCapacity) return false;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;

    uint8_t head[BitmapHeaderBytes];
    if (std::fread(head, 1, sizeof head, file) != sizeof head || !IsPlainBitmapHeader(head)) {
        std::fclose(file);
        return false;
    }
    const uint32_t offset = ReadLittle32(head + 10);
    const int32_t width = static_cast<int32_t>(ReadLittle32(head + 18));
    const int32_t height = static_cast<int32_t>(ReadLittle32(head + 22));

    TextureImage& image = TextureImages[slot];
    image.width = width;
    image.height = height;
    image.bytesPerPixel = 3;
    std::free(image.pixels);
    image.pixels = nullptr;

    // Sides are capped, so the size fits comfortably in 64 bits.
    const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const size_t stride = (rowBytes + 3) / 4 * 4;
    // A file too short for its rows is refused before the block is made.
    const long available = BytesAfter(file, offset);
    if (available < 0 || static_cast<size_t>(available) < stride * static_cast<size_t>(height - 1) + rowBytes) {
        std::fclose(file);
        return false;
    }

    auto* pixels = static_cast<uint8_t*>(std::malloc(size));
    if (!pixels) {
        std::fprintf(stderr, "talvox: out of memory loading %s\n", path);
        std::exit(1);
    }
    if (!ReadPixelRows(file, offset, width, height, pixels)) {
        std::free(pixels);
        std::fclose(file);
        return false;
    }
    // The file stores B, G, R; the record holds R, G, B.
    for (size_t i = 0; i < size; i += 3) {
        uint8_t blue = pixels[i];
        pixels[i] = pixels[i + 2];
        pixels[i + 2] = blue;
    }
    image.pixels = pixels;
    std::fclose(file);
    return true;
}

// ---------------------------------------------------------------------------
// Upload
// ---------------------------------------------------------------------------

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
