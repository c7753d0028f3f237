// The GL 1.1 layer's own state, shared by its files: what a desktop GL keeps
// that OpenGL ES 2.0 has no place for (matrices, current colour, texture
// environment, raster position, client arrays, texture records), and the
// ES objects the layer draws with. Only the layer's files include this.
#pragma once
#include <GLES2/gl2.h>

#define TALVOX_GL11_LAYER_INSIDE
#include "gl11/GL11.h"

#include <map>
#include <vector>

constexpr int LayerStackDepth = 32;

struct LayerMatrix {
    GLfloat m[16];  // column by column, as the GL hands them over
};

// What the layer knows of one texture name: its level-0 image and the
// parameters the program set (the ES ones may differ: see ApplyTextureParameters).
struct LayerTexture {
    GLsizei width = 0, height = 0;
    GLint internalFormat = 1;
    GLenum baseFormat = GL_RGBA;  // GL_RGB, GL_RGBA, GL_LUMINANCE or GL_ALPHA
    GLenum wrapS = GL_REPEAT, wrapT = GL_REPEAT;
    GLenum minFilter = GL_NEAREST_MIPMAP_LINEAR, magFilter = GL_LINEAR;
    unsigned levels = 0;  // one bit a level given an image
};

// One client array as glVertexPointer and its kind set it.
struct LayerArray {
    bool enabled = false;
    GLint size = 4;
    GLenum type = GL_FLOAT;
    GLsizei stride = 0;
    const GLvoid* pointer = nullptr;
};

// One vertex as the layer draws it, whatever it came from.
struct LayerVertex {
    GLfloat position[4];
    GLfloat texCoord[2];
    GLfloat colour[4];
};

// A shader program of the layer and its uniforms' locations.
struct LayerProgram {
    GLuint name = 0;
    GLint transform = -1;
    GLint viewportSize = -1;  // the viewport's width and height, for gl11VertexGrid
};

// The layer's programs, one for each kind of draw, made on its first use:
// with texture coordinate planes or without, times the texture environment's
// mode (colour alone, colour x texel, the texel), whether each coordinate
// wraps in the shader and whether alpha comes from the texture. Each is
// written into its fragment shader, so that no fragment tests them.
constexpr int LayerProgramKinds = 2 * 3 * 2 * 2 * 2;

// The shader programs' attribute slots.
enum LayerAttribute {
    PositionAttribute = 0,
    ColourAttribute = 1,
    TexCoordAttribute = 2,
    PlaneSAttribute = 3,  // a textured triangle's texture coordinate planes
    PlaneTAttribute = 4,
    PlaneQAttribute = 5
};

struct LayerState {
    // Matrices
    GLenum matrixMode = GL_MODELVIEW;
    std::vector<LayerMatrix> modelview, projection;  // each holds at least the current matrix

    // Current values and the state ES has no place for
    GLfloat colour[4] = {1, 1, 1, 1};
    GLfloat texCoord[2] = {0, 0};
    GLfloat normal[3] = {0, 0, 1};
    bool texture2D = false, lighting = false, colourMaterial = false, alphaTest = false, fog = false;
    bool normalize = false;
    bool lights[8] = {};
    GLenum environment = GL_MODULATE;
    GLenum shadeModel = GL_SMOOTH;
    GLenum perspectiveHint = GL_DONT_CARE;
    GLenum drawBuffer = GL_BACK;
    // The viewport as last set through the layer; asked of ES (which waits
    // for the browser's GPU process) only until then.
    GLint viewport[4] = {0, 0, 0, 0};
    bool viewportKnown = false;
    GLfloat raster[3] = {0, 0, 0};  // window coordinates; always valid
    GLfloat zoom[2] = {1, 1};
    GLint packAlignment = 4, unpackAlignment = 4;
    GLenum error = GL_NO_ERROR;  // the layer's own, given before the ES one

    // Immediate mode
    bool inBegin = false;
    GLenum beginMode = GL_TRIANGLES;
    std::vector<LayerVertex> begun;

    // Client arrays
    LayerArray vertexArray, colourArray, texCoordArray, normalArray;

    // Textures
    GLuint boundTexture = 0;
    std::map<GLuint, LayerTexture> textures;
    // Colour renderbuffers stand in as textures (WebGL 1 has no 8-bit ones).
    std::map<GLuint, GLuint> renderbufferTextures;
    GLuint boundRenderbuffer = 0;

    // The ES objects of the context, each made on first use.
    LayerProgram programs[LayerProgramKinds];
    GLuint vertexBuffer = 0, pixelTexture = 0;
};

extern LayerState layer;

// Keeps the first error since the last glGetError.
void RecordError(GLenum error);
// projection x modelview, as the vertices are transformed.
LayerMatrix CurrentTransform();
// The record of the bound texture (texture 0 has one too).
LayerTexture& BoundTextureRecord();
// Whether the record's texture can be sampled (texturing is off otherwise).
bool IsTextureComplete(const LayerTexture& texture);
// Whether the ES texture of this record must wrap in the shader (WebGL 1
// repeats only textures whose sides are powers of two).
bool RepeatsInShader(const LayerTexture& texture, bool alongT);
// Draws vertices as mode (GL_QUADS and GL_POLYGON included) under the
// current state and transform.
void DrawLayerVertices(GLenum mode, const LayerVertex* vertices, GLsizei count);
// The viewport (x, y, width, height) as the layer knows it.
void ReadViewport(GLint viewport[4]);
// Makes the stream buffer if this context has none yet; false (with
// GL_OUT_OF_MEMORY recorded) when it cannot be made.
bool PrepareLayerObjects();
// Bytes a pixel of the format has (RGBA 4, RGB 3, luminance or alpha 1); 0
// for a format the layer does not take.
int ComponentsOf(GLenum format);
