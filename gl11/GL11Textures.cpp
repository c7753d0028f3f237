// The GL 1.1 layer's textures and framebuffer objects. ES wants the image's
// layout to be its internal format, and WebGL 1 repeats and mipmaps only
// textures whose sides are powers of two: the layer converts what the
// program hands over and keeps the program's parameters itself, setting on
// the ES texture what it can take (GL_CLAMP as clamping to the edge, the same
// with nearest texels; repeating done by the shader where the texture cannot).
// The framebuffer-object extension's functions are ES's own, except that a
// colour renderbuffer of 8 bits a channel is a texture (WebGL 1 has none).
#include <cstdint>
#include <cstring>
#include <vector>

#include "gl11/LayerState.h"

namespace {

bool IsPowerOfTwo(GLsizei n) { return n > 0 && (n & (n - 1)) == 0; }

bool IsMipmapFilter(GLenum filter) { return filter != GL_NEAREST && filter != GL_LINEAR; }

// The base format of a GL 1.1 internal format; 0 for one the layer does not take.
GLenum BaseFormat(GLint internalFormat) {
    switch (internalFormat) {
    case 3:
    case GL_RGB:
    case GL_RGB8: return GL_RGB;
    case 4:
    case GL_RGBA:
    case GL_RGBA8: return GL_RGBA;
    case 1:
    case GL_LUMINANCE: return GL_LUMINANCE;
    case GL_ALPHA: return GL_ALPHA;
    default: return 0;
    }
}

// Sets on the bound ES texture the parameters of record that it can take.
void ApplyTextureParameters(const LayerTexture& texture) {
    const bool whole = IsPowerOfTwo(texture.width) && IsPowerOfTwo(texture.height);
    auto wrap = [whole](GLenum mode) -> GLint { return mode == GL_REPEAT && whole ? GL_REPEAT : GL_CLAMP_TO_EDGE; };
    GLint minFilter = static_cast<GLint>(texture.minFilter);
    if (!whole)
        minFilter = texture.minFilter == GL_NEAREST || texture.minFilter == GL_NEAREST_MIPMAP_NEAREST ||
                            texture.minFilter == GL_NEAREST_MIPMAP_LINEAR
                        ? GL_NEAREST
                        : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap(texture.wrapS));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap(texture.wrapT));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(texture.magFilter));
}

// The pixels in the layout the ES texture takes (format as base, rows packed
// to the unpack alignment): pixels themselves when they already are, else a
// converted copy in converted (rows packed tightly; alignment set to 1).
const GLvoid* PixelsAs(GLenum base, GLsizei width, GLsizei height, GLenum format, const GLvoid* pixels,
                       std::vector<uint8_t>& converted, GLint& alignment) {
    alignment = layer.unpackAlignment;
    if (format == base || pixels == nullptr) return pixels;
    const int from = ComponentsOf(format), to = ComponentsOf(base);
    const GLsizei fromRow = (width * from + alignment - 1) / alignment * alignment;
    converted.assign(static_cast<size_t>(width) * height * to, 0);
    const uint8_t* in = static_cast<const uint8_t*>(pixels);
    for (GLsizei row = 0; row < height; row++)
        for (GLsizei i = 0; i < width; i++) {
            const uint8_t* p = in + static_cast<size_t>(row) * fromRow + i * from;
            uint8_t* q = &converted[(static_cast<size_t>(row) * width + i) * to];
            const uint8_t alpha = format == GL_RGBA ? p[3] : format == GL_ALPHA ? p[0] : 255;
            const uint8_t grey = format == GL_ALPHA ? 0 : p[0];
            if (base == GL_ALPHA) {
                q[0] = alpha;
                continue;
            }
            for (int c = 0; c < 3 && c < to; c++) q[c] = from >= 3 ? p[c] : grey;
            if (to == 4) q[3] = alpha;
        }
    alignment = 1;
    return converted.data();
}

bool CheckTarget(GLenum target) {
    if (target == GL_TEXTURE_2D) return true;
    RecordError(GL_INVALID_ENUM);
    return false;
}

}  // namespace

int ComponentsOf(GLenum format) {
    switch (format) {
    case GL_RGBA: return 4;
    case GL_RGB: return 3;
    case GL_LUMINANCE:
    case GL_ALPHA: return 1;
    default: return 0;
    }
}

LayerTexture& BoundTextureRecord() { return layer.textures[layer.boundTexture]; }

bool IsTextureComplete(const LayerTexture& texture) {
    if (texture.width == 0 || texture.height == 0 || !(texture.levels & 1)) return false;
    if (!IsMipmapFilter(texture.minFilter)) return true;
    int levels = 1;
    for (GLsizei side = texture.width > texture.height ? texture.width : texture.height; side > 1; side /= 2) levels++;
    return texture.levels == (1u << levels) - 1;
}

bool RepeatsInShader(const LayerTexture& texture, bool alongT) {
    const bool whole = IsPowerOfTwo(texture.width) && IsPowerOfTwo(texture.height);
    return !whole && (alongT ? texture.wrapT : texture.wrapS) == GL_REPEAT;
}

// ---------------------------------------------------------------------------
// Texture objects
// ---------------------------------------------------------------------------

void Gl11GenTextures(GLsizei n, GLuint* textures) { glGenTextures(n, textures); }

void Gl11DeleteTextures(GLsizei n, const GLuint* textures) {
    for (GLsizei i = 0; i < n; i++) {
        if (textures[i] == 0) continue;
        layer.textures.erase(textures[i]);
        if (layer.boundTexture == textures[i]) layer.boundTexture = 0;
    }
    glDeleteTextures(n, textures);
}

void Gl11BindTexture(GLenum target, GLuint texture) {
    if (!CheckTarget(target)) return;
    glBindTexture(GL_TEXTURE_2D, texture);
    layer.boundTexture = texture;
    BoundTextureRecord();
}

// From the layer's records, not ES's (whose answer waits for the browser's
// GPU process): a name is a texture once bound, until deleted.
GLboolean Gl11IsTexture(GLuint texture) {
    return texture != 0 && layer.textures.count(texture) != 0 ? GL_TRUE : GL_FALSE;
}

size_t Gl11TextureCount() { return layer.textures.size(); }

void Gl11TexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                    GLenum format, GLenum type, const GLvoid* pixels) {
    if (!CheckTarget(target)) return;
    const GLenum base = BaseFormat(internalFormat);
    if (base == 0 || ComponentsOf(format) == 0 || format == GL_LUMINANCE || type != GL_UNSIGNED_BYTE) {
        RecordError(GL_INVALID_ENUM);
        return;
    }
    if (border != 0 || level < 0 || level > 15 || width < 0 || height < 0) {
        RecordError(GL_INVALID_VALUE);
        return;
    }
    std::vector<uint8_t> converted;
    GLint alignment = 4;
    const GLvoid* data = PixelsAs(base, width, height, format, pixels, converted, alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glTexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(base), width, height, 0, base, GL_UNSIGNED_BYTE, data);
    glPixelStorei(GL_UNPACK_ALIGNMENT, layer.unpackAlignment);
    LayerTexture& texture = BoundTextureRecord();
    if (level == 0) {
        texture.width = width;
        texture.height = height;
        texture.internalFormat = internalFormat;
        texture.baseFormat = base;
        texture.levels = 1;
    } else {
        texture.levels |= 1u << level;
    }
    ApplyTextureParameters(texture);
}

void Gl11TexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                       GLenum type, const GLvoid* pixels) {
    if (!CheckTarget(target)) return;
    if (ComponentsOf(format) == 0 || format == GL_LUMINANCE || type != GL_UNSIGNED_BYTE) {
        RecordError(GL_INVALID_ENUM);
        return;
    }
    std::vector<uint8_t> converted;
    GLint alignment = 4;
    const GLenum base = BoundTextureRecord().baseFormat;
    const GLvoid* data = PixelsAs(base, width, height, format, pixels, converted, alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glTexSubImage2D(GL_TEXTURE_2D, level, x, y, width, height, base, GL_UNSIGNED_BYTE, data);
    glPixelStorei(GL_UNPACK_ALIGNMENT, layer.unpackAlignment);
}

void Gl11TexParameteri(GLenum target, GLenum name, GLint value) {
    if (!CheckTarget(target)) return;
    LayerTexture& texture = BoundTextureRecord();
    const GLenum v = static_cast<GLenum>(value);
    const bool wrap = v == GL_CLAMP || v == GL_REPEAT || v == GL_CLAMP_TO_EDGE;
    const bool filter = v == GL_NEAREST || v == GL_LINEAR;
    switch (name) {
    case GL_TEXTURE_WRAP_S:
        if (wrap) texture.wrapS = v == GL_REPEAT ? GL_REPEAT : GL_CLAMP_TO_EDGE;
        break;
    case GL_TEXTURE_WRAP_T:
        if (wrap) texture.wrapT = v == GL_REPEAT ? GL_REPEAT : GL_CLAMP_TO_EDGE;
        break;
    case GL_TEXTURE_MAG_FILTER:
        if (filter) texture.magFilter = v;
        break;
    case GL_TEXTURE_MIN_FILTER:
        if (filter || (v >= GL_NEAREST_MIPMAP_NEAREST && v <= GL_LINEAR_MIPMAP_LINEAR)) texture.minFilter = v;
        break;
    default: RecordError(GL_INVALID_ENUM); return;
    }
    const bool taken = name == GL_TEXTURE_MIN_FILTER
                           ? texture.minFilter == v
                           : (name == GL_TEXTURE_MAG_FILTER ? filter && texture.magFilter == v : wrap);
    if (!taken) RecordError(GL_INVALID_ENUM);
    ApplyTextureParameters(texture);
}

void Gl11TexEnvi(GLenum target, GLenum name, GLint value) {
    const GLenum v = static_cast<GLenum>(value);
    if (target != GL_TEXTURE_ENV || name != GL_TEXTURE_ENV_MODE ||
        (v != GL_MODULATE && v != GL_REPLACE && v != GL_DECAL)) {
        RecordError(GL_INVALID_ENUM);
        return;
    }
    layer.environment = v;
}

void Gl11GetTexEnviv(GLenum target, GLenum name, GLint* values) {
    if (target != GL_TEXTURE_ENV || name != GL_TEXTURE_ENV_MODE) {
        RecordError(GL_INVALID_ENUM);
        return;
    }
    values[0] = static_cast<GLint>(layer.environment);
}

void Gl11GetTexLevelParameteriv(GLenum target, GLint level, GLenum name, GLint* values) {
    if (!CheckTarget(target)) return;
    const LayerTexture& texture = BoundTextureRecord();
    const bool given = level >= 0 && level < 16 && (texture.levels >> level & 1) != 0;
    const GLsizei width = given ? texture.width >> level : 0, height = given ? texture.height >> level : 0;
    switch (name) {
    case GL_TEXTURE_WIDTH: values[0] = width > 0 || !given ? width : 1; break;
    case GL_TEXTURE_HEIGHT: values[0] = height > 0 || !given ? height : 1; break;
    case GL_TEXTURE_INTERNAL_FORMAT: values[0] = given ? texture.internalFormat : 1; break;
    default: RecordError(GL_INVALID_ENUM); break;
    }
}

// ---------------------------------------------------------------------------
// Framebuffer objects
// ---------------------------------------------------------------------------

namespace {

bool HasEsExtension(const char* name) {
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const size_t length = std::strlen(name);
    for (const char* at = list; at && (at = std::strstr(at, name)) != nullptr; at += length)
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) return true;
    return false;
}

void GenFramebuffers(GLsizei n, GLuint* framebuffers) { glGenFramebuffers(n, framebuffers); }
void DeleteFramebuffers(GLsizei n, const GLuint* framebuffers) { glDeleteFramebuffers(n, framebuffers); }
void BindFramebuffer(GLenum target, GLuint framebuffer) { glBindFramebuffer(target, framebuffer); }
GLenum CheckFramebufferStatus(GLenum target) { return glCheckFramebufferStatus(target); }
void GenRenderbuffers(GLsizei n, GLuint* renderbuffers) { glGenRenderbuffers(n, renderbuffers); }

void DeleteRenderbuffers(GLsizei n, const GLuint* renderbuffers) {
    for (GLsizei i = 0; i < n; i++) {
        auto found = layer.renderbufferTextures.find(renderbuffers[i]);
        if (found == layer.renderbufferTextures.end()) continue;
        glDeleteTextures(1, &found->second);
        layer.renderbufferTextures.erase(found);
    }
    glDeleteRenderbuffers(n, renderbuffers);
}

void BindRenderbuffer(GLenum target, GLuint renderbuffer) {
    glBindRenderbuffer(target, renderbuffer);
    layer.boundRenderbuffer = renderbuffer;
}

// Colour of 8 bits a channel becomes a texture of the bound renderbuffer's
// name; depth of more than 16 bits is 24 where ES offers it, else 16 (all
// WebGL 1 has).
void RenderbufferStorage(GLenum target, GLenum internalFormat, GLsizei width, GLsizei height) {
    const GLenum base = BaseFormat(static_cast<GLint>(internalFormat));
    if (base == GL_RGB || base == GL_RGBA) {
        if (layer.boundRenderbuffer == 0) {
            RecordError(GL_INVALID_OPERATION);
            return;
        }
        GLuint& texture = layer.renderbufferTextures[layer.boundRenderbuffer];
        if (texture == 0) glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(base), width, height, 0, base, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, layer.boundTexture);
        return;
    }
    constexpr GLenum Depth24 = 0x81A6, Depth32 = 0x81A7, DepthComponent = 0x1902;
    GLenum format = internalFormat;
    if (internalFormat == Depth24 || internalFormat == Depth32 || internalFormat == DepthComponent)
        format = HasEsExtension("GL_OES_depth24") ? Depth24 : GL_DEPTH_COMPONENT16;
    if (format != GL_DEPTH_COMPONENT16 && format != Depth24) {
        RecordError(GL_INVALID_ENUM);
        return;
    }
    glRenderbufferStorage(target, format, width, height);
}

void FramebufferRenderbuffer(GLenum target, GLenum attachment, GLenum renderbufferTarget, GLuint renderbuffer) {
    auto found = layer.renderbufferTextures.find(renderbuffer);
    if (found != layer.renderbufferTextures.end())
        glFramebufferTexture2D(target, attachment, GL_TEXTURE_2D, found->second, 0);
    else glFramebufferRenderbuffer(target, attachment, renderbufferTarget, renderbuffer);
}

struct NamedFunction {
    const char* name;
    void* function;
};

template <typename Function>
void* AsPointer(Function function) {
    return reinterpret_cast<void*>(function);
}

}  // namespace

void* Gl11Function(const char* name) {
    const NamedFunction functions[] = {
        {"glGenFramebuffersEXT", AsPointer(GenFramebuffers)},
        {"glDeleteFramebuffersEXT", AsPointer(DeleteFramebuffers)},
        {"glBindFramebufferEXT", AsPointer(BindFramebuffer)},
        {"glCheckFramebufferStatusEXT", AsPointer(CheckFramebufferStatus)},
        {"glGenRenderbuffersEXT", AsPointer(GenRenderbuffers)},
        {"glDeleteRenderbuffersEXT", AsPointer(DeleteRenderbuffers)},
        {"glBindRenderbufferEXT", AsPointer(BindRenderbuffer)},
        {"glRenderbufferStorageEXT", AsPointer(RenderbufferStorage)},
        {"glFramebufferRenderbufferEXT", AsPointer(FramebufferRenderbuffer)},
    };
    for (const NamedFunction& f : functions)
        if (std::strcmp(f.name, name) == 0) return f.function;
    return nullptr;
}
