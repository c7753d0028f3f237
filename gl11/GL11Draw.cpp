// The GL 1.1 layer's drawing: small shader programs doing what the fixed
// pipeline does for this program (vertex colour, times the texel under
// GL_MODULATE, the texel under GL_REPLACE), immediate mode and client arrays
// streamed into one buffer (WebGL draws from buffers only), quads as
// triangles, and pixel rectangles drawn and read.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "gl11/LayerState.h"

int gl11VertexGrid = 0;

namespace {

// ---------------------------------------------------------------------------
// The shader program
// ---------------------------------------------------------------------------

// The fragment shaders' shared start: precision, and the colour of a texel
// by the mode MODE (1 colour x texel; 2 the texel's colour, with the texel's
// alpha where ALPHA_FROM_TEXTURE). Coordinates wrap in the shader where
// REPEAT_S or REPEAT_T says the ES texture cannot repeat. Each program's
// fragment shader is this with its own values defined before it.
#define LAYER_FRAGMENT_START                   \
    "#ifdef GL_FRAGMENT_PRECISION_HIGH\n"      \
    "precision highp float;\n"                 \
    "#else\n"                                  \
    "precision mediump float;\n"               \
    "#endif\n"                                 \
    "uniform sampler2D image;\n"               \
    "varying vec4 vColour;\n"                  \
    "vec4 TexelColour(vec2 uv) {\n"            \
    "#if REPEAT_S\n"                           \
    "    uv.s = fract(uv.s);\n"                \
    "#endif\n"                                 \
    "#if REPEAT_T\n"                           \
    "    uv.t = fract(uv.t);\n"                \
    "#endif\n"                                 \
    "    vec4 texel = texture2D(image, uv);\n" \
    "#if MODE == 1\n"                          \
    "    return vColour * texel;\n"            \
    "#elif ALPHA_FROM_TEXTURE\n"               \
    "    return texel;\n"                      \
    "#else\n"                                  \
    "    return vec4(texel.rgb, vColour.a);\n" \
    "#endif\n"                                 \
    "}\n"

// The vertex shaders' shared start: OnGrid puts a vertex on the grid of
// 1/VERTEX_GRID of a pixel (gl11VertexGrid), where VERTEX_GRID is not 0.
#define LAYER_VERTEX_START                                                          \
    "uniform vec2 viewportSize;\n"                                                  \
    "vec4 OnGrid(vec4 clip) {\n"                                                    \
    "#if VERTEX_GRID\n"                                                             \
    "    if (clip.w <= 0.0) return clip;\n"                                         \
    "    vec2 side = viewportSize * 0.5;\n"                                         \
    "    vec2 at = (clip.xy / clip.w + 1.0) * side * float(VERTEX_GRID);\n"         \
    "    clip.xy = (floor(at + 0.5) / float(VERTEX_GRID) / side - 1.0) * clip.w;\n" \
    "#endif\n"                                                                      \
    "    return clip;\n"                                                            \
    "}\n"

// Textured triangles: a triangle's texture coordinates come from its planes
// at the fragment's centre (exact, see "Textured triangles" below).
const char* const PlanesVertexShader = LAYER_VERTEX_START R"(
attribute vec4 position;
attribute vec4 colour;
attribute vec3 planeS;
attribute vec3 planeT;
attribute vec3 planeQ;
uniform mat4 transform;
varying vec4 vColour;
varying vec3 vPlaneS;
varying vec3 vPlaneT;
varying vec3 vPlaneQ;
void main() {
    gl_Position = OnGrid(transform * position);
    vColour = colour;
    vPlaneS = planeS;
    vPlaneT = planeT;
    vPlaneQ = planeQ;
}
)";

const char* const PlanesFragmentShader = LAYER_FRAGMENT_START R"(
varying vec3 vPlaneS;
varying vec3 vPlaneT;
varying vec3 vPlaneQ;
void main() {
    vec3 at = vec3(gl_FragCoord.xy, 1.0);
    gl_FragColor = TexelColour(vec2(dot(vPlaneS, at), dot(vPlaneT, at)) / dot(vPlaneQ, at));
}
)";

// Everything else: untextured drawing, and textured rectangles whose
// coordinates the rasteriser's interpolation gives exactly (pixel
// rectangles, the picture's presentation).
const char* const PlainVertexShader = LAYER_VERTEX_START R"(
attribute vec4 position;
attribute vec4 colour;
attribute vec2 texCoord;
uniform mat4 transform;
varying vec4 vColour;
varying vec2 vTexCoord;
void main() {
    gl_Position = OnGrid(transform * position);
    vColour = colour;
    vTexCoord = texCoord;
}
)";

const char* const PlainFragmentShader = LAYER_FRAGMENT_START R"(
varying vec2 vTexCoord;
void main() {
#if MODE == 0
    gl_FragColor = vColour;
#else
    gl_FragColor = TexelColour(vTexCoord);
#endif
}
)";

// Compiles source after the lines that define its values (may be empty).
GLuint CompileShader(GLenum kind, const char* defines, const char* source) {
    const GLuint shader = glCreateShader(kind);
    const char* const sources[2] = {defines, source};
    glShaderSource(shader, 2, sources, nullptr);
    glCompileShader(shader);
    GLint compiled = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled) return shader;
    glDeleteShader(shader);
    return 0;
}

// Makes a program of the two shaders, the fragment one after its defines,
// into program; false when it cannot be made. Attributes the shaders do not
// name are bound all the same.
bool MakeProgram(const char* vertexSource, const char* fragmentSource, const char* defines, LayerProgram& program) {
    char grid[32];
    std::snprintf(grid, sizeof grid, "#define VERTEX_GRID %d\n", gl11VertexGrid);
    const GLuint vertex = CompileShader(GL_VERTEX_SHADER, grid, vertexSource);
    const GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, defines, fragmentSource);
    if (!vertex || !fragment) {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        return false;
    }
    const GLuint name = glCreateProgram();
    glAttachShader(name, vertex);
    glAttachShader(name, fragment);
    glBindAttribLocation(name, PositionAttribute, "position");
    glBindAttribLocation(name, ColourAttribute, "colour");
    glBindAttribLocation(name, TexCoordAttribute, "texCoord");
    glBindAttribLocation(name, PlaneSAttribute, "planeS");
    glBindAttribLocation(name, PlaneTAttribute, "planeT");
    glBindAttribLocation(name, PlaneQAttribute, "planeQ");
    glLinkProgram(name);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = 0;
    glGetProgramiv(name, GL_LINK_STATUS, &linked);
    if (!linked) {
        glDeleteProgram(name);
        return false;
    }
    program.name = name;
    program.transform = glGetUniformLocation(name, "transform");
    program.viewportSize = glGetUniformLocation(name, "viewportSize");
    return true;
}

// Makes current the program for a draw under the current state, with planes
// when the vertices carry their triangle's texture coordinate planes, and
// gives it the transform; false (with GL_OUT_OF_MEMORY recorded) when that
// program cannot be made.
bool UseProgram(const LayerMatrix& transform, bool planes = false) {
    const LayerTexture& texture = BoundTextureRecord();
    int mode = 0;
    if (layer.texture2D && IsTextureComplete(texture)) mode = layer.environment == GL_MODULATE ? 1 : 2;
    const bool textureAlpha = texture.baseFormat == GL_RGBA || texture.baseFormat == GL_ALPHA;
    // GL_DECAL takes the fragment's alpha; GL_REPLACE the texture's where it has one.
    const bool alphaFromTexture = mode == 2 && layer.environment == GL_REPLACE && textureAlpha;
    const bool repeatS = mode != 0 && RepeatsInShader(texture, false);
    const bool repeatT = mode != 0 && RepeatsInShader(texture, true);
    LayerProgram& program = layer.programs[(((planes * 3 + mode) * 2 + repeatS) * 2 + repeatT) * 2 + alphaFromTexture];
    if (program.name == 0) {
        char defines[96];
        std::snprintf(defines, sizeof defines,
                      "#define MODE %d\n#define REPEAT_S %d\n#define REPEAT_T %d\n#define ALPHA_FROM_TEXTURE %d\n",
                      mode, repeatS, repeatT, alphaFromTexture);
        const bool made = planes ? MakeProgram(PlanesVertexShader, PlanesFragmentShader, defines, program)
                                 : MakeProgram(PlainVertexShader, PlainFragmentShader, defines, program);
        if (!made) {
            RecordError(GL_OUT_OF_MEMORY);
            return false;
        }
    }
    // The image sampler stays at unit 0, where linking leaves it.
    glUseProgram(program.name);
    glUniformMatrix4fv(program.transform, 1, GL_FALSE, transform.m);
    if (gl11VertexGrid != 0) {
        GLint viewport[4];
        ReadViewport(viewport);
        glUniform2f(program.viewportSize, static_cast<GLfloat>(viewport[2]), static_cast<GLfloat>(viewport[3]));
    }
    return true;
}

// ---------------------------------------------------------------------------
// Vertices
// ---------------------------------------------------------------------------

// The triangles of any triangle, quad or polygon mode, three vertices each
// (a triangle list is given back as it is); a quad is (0,1,2) (0,2,3).
std::vector<LayerVertex> triangleList;

const LayerVertex* AsTriangleList(GLenum mode, const LayerVertex* v, GLsizei& count) {
    if (mode == GL_TRIANGLES) {
        count -= count % 3;
        return v;
    }
    triangleList.clear();
    auto add = [&](GLsizei a, GLsizei b, GLsizei c) {
        triangleList.push_back(v[a]);
        triangleList.push_back(v[b]);
        triangleList.push_back(v[c]);
    };
    if (mode == GL_QUADS)
        for (GLsizei i = 0; i + 3 < count; i += 4) add(i, i + 1, i + 2), add(i, i + 2, i + 3);
    else if (mode == GL_TRIANGLE_STRIP || mode == GL_QUAD_STRIP)
        for (GLsizei i = 0; i + 2 < count; i++) i % 2 == 0 ? add(i, i + 1, i + 2) : add(i + 1, i, i + 2);
    else
        for (GLsizei i = 1; i + 1 < count; i++) add(0, i, i + 1);
    count = static_cast<GLsizei>(triangleList.size());
    return triangleList.data();
}

// The ES mode drawing mode's primitives; GL_QUADS is turned into triangles
// before this.
GLenum EsMode(GLenum mode) {
    switch (mode) {
    case GL_POLYGON: return GL_TRIANGLE_FAN;
    case GL_QUAD_STRIP: return GL_TRIANGLE_STRIP;
    default: return mode;
    }
}

bool IsDrawMode(GLenum mode) { return mode <= GL_POLYGON; }

// A component of a client array as a float; bytes of colours scale to 0..1.
GLfloat ReadComponent(const LayerArray& array, GLint index, int component, bool colour) {
    const GLsizei size = array.type == GL_FLOAT ? 4 : array.type == GL_UNSIGNED_BYTE ? 1 : 0;
    const GLsizei stride = array.stride != 0 ? array.stride : size * array.size;
    const uint8_t* at = static_cast<const uint8_t*>(array.pointer) + index * stride + component * size;
    if (array.type == GL_UNSIGNED_BYTE) return colour ? *at / 255.0f : *at;
    GLfloat value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// The vertices of a draw read from the client arrays, kept between draws.
std::vector<LayerVertex> arrayVertices;

// Vertex index of the enabled client arrays, with current values for the rest.
LayerVertex ReadArrayVertex(GLint index) {
    LayerVertex v = {{0, 0, 0, 1}, {layer.texCoord[0], layer.texCoord[1]}, {}};
    std::memcpy(v.colour, layer.colour, sizeof v.colour);
    for (int c = 0; c < layer.vertexArray.size; c++) v.position[c] = ReadComponent(layer.vertexArray, index, c, false);
    if (layer.colourArray.enabled) {
        v.colour[3] = 1;
        for (int c = 0; c < layer.colourArray.size; c++) v.colour[c] = ReadComponent(layer.colourArray, index, c, true);
    }
    if (layer.texCoordArray.enabled)
        for (int c = 0; c < 2 && c < layer.texCoordArray.size; c++)
            v.texCoord[c] = ReadComponent(layer.texCoordArray, index, c, false);
    return v;
}

// Bytes one element of the array takes, and its stride.
GLsizei ElementBytes(const LayerArray& array) { return array.size * (array.type == GL_FLOAT ? 4 : 1); }
GLsizei StrideOf(const LayerArray& array) { return array.stride != 0 ? array.stride : ElementBytes(array); }

// Points an attribute at a part of the stream buffer.
void PointAttribute(LayerAttribute attribute, const LayerArray& array, uintptr_t offset) {
    glEnableVertexAttribArray(attribute);
    glVertexAttribPointer(attribute, array.size, array.type, array.type == GL_UNSIGNED_BYTE ? GL_TRUE : GL_FALSE,
                          StrideOf(array), reinterpret_cast<const void*>(offset));
}

// Draws count vertices from first of the enabled client arrays straight from
// their memory: the span they cover is sent once when they interleave, each
// array's own part otherwise.
void DrawClientArrays(GLenum mode, GLint first, GLsizei count) {
    LayerArray* arrays[3] = {&layer.vertexArray, layer.colourArray.enabled ? &layer.colourArray : nullptr,
                             layer.texCoordArray.enabled ? &layer.texCoordArray : nullptr};
    const LayerAttribute attributes[3] = {PositionAttribute, ColourAttribute, TexCoordAttribute};
    const uint8_t* starts[3] = {};
    uintptr_t lengths[3] = {};
    const uint8_t *low = nullptr, *high = nullptr;
    uintptr_t total = 0;
    for (int i = 0; i < 3; i++) {
        if (!arrays[i]) continue;
        const GLsizei stride = StrideOf(*arrays[i]);
        starts[i] = static_cast<const uint8_t*>(arrays[i]->pointer) + static_cast<uintptr_t>(first) * stride;
        lengths[i] = static_cast<uintptr_t>(count - 1) * stride + ElementBytes(*arrays[i]);
        if (!low || starts[i] < low) low = starts[i];
        if (!high || starts[i] + lengths[i] > high) high = starts[i] + lengths[i];
        total += (lengths[i] + 3) / 4 * 4;
    }
    glBindBuffer(GL_ARRAY_BUFFER, layer.vertexBuffer);
    const uintptr_t span = static_cast<uintptr_t>(high - low);
    bool aligned = true;
    for (int i = 0; i < 3; i++)
        if (arrays[i] && arrays[i]->type == GL_FLOAT) aligned = aligned && (starts[i] - low) % 4 == 0;
    if (span <= 2 * total && aligned) {
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(span), low, GL_STREAM_DRAW);
        for (int i = 0; i < 3; i++)
            if (arrays[i]) PointAttribute(attributes[i], *arrays[i], static_cast<uintptr_t>(starts[i] - low));
    } else {
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(total), nullptr, GL_STREAM_DRAW);
        uintptr_t offset = 0;
        for (int i = 0; i < 3; i++) {
            if (!arrays[i]) continue;
            glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(lengths[i]),
                            starts[i]);
            PointAttribute(attributes[i], *arrays[i], offset);
            offset += (lengths[i] + 3) / 4 * 4;  // WebGL wants each array's start aligned
        }
    }
    if (!arrays[1]) {
        glDisableVertexAttribArray(ColourAttribute);
        glVertexAttrib4fv(ColourAttribute, layer.colour);
    }
    if (!arrays[2]) {
        glDisableVertexAttribArray(TexCoordAttribute);
        glVertexAttrib4f(TexCoordAttribute, layer.texCoord[0], layer.texCoord[1], 0, 1);
    }
    if (UseProgram(CurrentTransform())) glDrawArrays(EsMode(mode), 0, count);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

// ---------------------------------------------------------------------------
// Textured triangles
// ---------------------------------------------------------------------------
//
// A rasteriser may place vertices on a coarse grid (SwiftShader's is 1/16
// of a pixel) and interpolate from there, so that a texture coordinate
// near a texel's edge picks the neighbouring texel across whole rows and
// columns. A textured triangle's vertices therefore carry its texture
// coordinates as three planes over window coordinates, s/w, t/w and 1/w as
// the GL interpolates them, from the exact vertices, and each fragment
// takes its coordinates from them at its centre.

struct ExactVertex {
    GLfloat position[4];
    GLfloat colour[4];
    GLfloat planes[9];  // s, t and q, each as (x, y, 1) coefficients
};

std::vector<ExactVertex> exactVertices;

bool IsTexturing() { return layer.texture2D && IsTextureComplete(BoundTextureRecord()); }

// Whether the rasteriser's own interpolation gives the vertices' texture
// coordinates exactly, so that they need no planes: no perspective (w is 1
// at every vertex) and every vertex on the 1/16-pixel grid a rasteriser may
// snap it to, as pixel rectangles and the picture's presentation have them.
bool InterpolatesExactly(const LayerVertex* vertices, GLsizei count) {
    const LayerMatrix transform = CurrentTransform();
    GLint viewport[4];
    ReadViewport(viewport);
    for (GLsizei i = 0; i < count; i++) {
        GLfloat clip[4];
        for (int row = 0; row < 4; row++) {
            clip[row] = 0;
            for (int c = 0; c < 4; c++) clip[row] += transform.m[c * 4 + row] * vertices[i].position[c];
        }
        if (clip[3] != 1.0f) return false;
        const double x = (viewport[0] + (clip[0] + 1.0) * viewport[2] / 2) * 16;
        const double y = (viewport[1] + (clip[1] + 1.0) * viewport[3] / 2) * 16;
        if (x != std::floor(x) || y != std::floor(y)) return false;
    }
    return true;
}

// The s, t and q planes of a triangle whose vertices are at clip
// coordinates clip[3] in the viewport: a window point's homogeneous
// barycentric weights are the rows of the adjugate of the vertices'
// homogeneous window coordinates applied to (x, y, 1).
void TrianglePlanes(const double clip[3][4], const LayerVertex* corners, const GLint viewport[4], GLfloat planes[9]) {
    double h[3][3];
    for (int i = 0; i < 3; i++) {
        const double x = clip[i][0], y = clip[i][1], w = clip[i][3];
        h[i][0] = viewport[0] * w + (x + w) * viewport[2] / 2;
        h[i][1] = viewport[1] * w + (y + w) * viewport[3] / 2;
        h[i][2] = w;
    }
    auto cross = [](const double* a, const double* b, double* out) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    double rows[3][3];
    cross(h[1], h[2], rows[0]);
    cross(h[2], h[0], rows[1]);
    cross(h[0], h[1], rows[2]);
    double plane[3][3] = {};
    for (int i = 0; i < 3; i++)
        for (int c = 0; c < 3; c++) {
            plane[0][c] += corners[i].texCoord[0] * rows[i][c];
            plane[1][c] += corners[i].texCoord[1] * rows[i][c];
            plane[2][c] += rows[i][c];
        }
    double scale = std::max({std::fabs(plane[2][0]), std::fabs(plane[2][1]), std::fabs(plane[2][2])});
    if (scale == 0) scale = 1;
    for (int p = 0; p < 3; p++)
        for (int c = 0; c < 3; c++) planes[p * 3 + c] = static_cast<GLfloat>(plane[p][c] / scale);
}

// Draws textured triangles (of any triangle mode) with their planes.
void DrawExactTriangles(GLenum mode, const LayerVertex* vertices, GLsizei count) {
    vertices = AsTriangleList(mode, vertices, count);
    if (count == 0) return;
    const LayerMatrix transform = CurrentTransform();
    GLint viewport[4];
    ReadViewport(viewport);
    exactVertices.resize(static_cast<size_t>(count));
    for (GLsizei t = 0; t < count; t += 3) {
        double clip[3][4];
        for (int i = 0; i < 3; i++)
            for (int row = 0; row < 4; row++) {
                double sum = 0;
                for (int c = 0; c < 4; c++) sum += double(transform.m[c * 4 + row]) * vertices[t + i].position[c];
                clip[i][row] = sum;
            }
        GLfloat planes[9];
        TrianglePlanes(clip, vertices + t, viewport, planes);
        for (int i = 0; i < 3; i++) {
            ExactVertex& e = exactVertices[static_cast<size_t>(t + i)];
            std::memcpy(e.position, vertices[t + i].position, sizeof e.position);
            std::memcpy(e.colour, vertices[t + i].colour, sizeof e.colour);
            std::memcpy(e.planes, planes, sizeof planes);
        }
    }
    glBindBuffer(GL_ARRAY_BUFFER, layer.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * sizeof(ExactVertex)), exactVertices.data(),
                 GL_STREAM_DRAW);
    const GLsizei stride = sizeof(ExactVertex);
    const struct {
        LayerAttribute attribute;
        GLint size;
        size_t offset;
    } parts[] = {{PositionAttribute, 4, offsetof(ExactVertex, position)},
                 {ColourAttribute, 4, offsetof(ExactVertex, colour)},
                 {PlaneSAttribute, 3, offsetof(ExactVertex, planes)},
                 {PlaneTAttribute, 3, offsetof(ExactVertex, planes) + 3 * sizeof(GLfloat)},
                 {PlaneQAttribute, 3, offsetof(ExactVertex, planes) + 6 * sizeof(GLfloat)}};
    for (const auto& part : parts) {
        glEnableVertexAttribArray(part.attribute);
        glVertexAttribPointer(part.attribute, part.size, GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(part.offset));
    }
    glDisableVertexAttribArray(TexCoordAttribute);
    if (UseProgram(transform, true)) glDrawArrays(GL_TRIANGLES, 0, count);
    for (LayerAttribute plane : {PlaneSAttribute, PlaneTAttribute, PlaneQAttribute}) glDisableVertexAttribArray(plane);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

bool IsArrayType(GLenum type, bool bytesAllowed) {
    return type == GL_FLOAT || (bytesAllowed && type == GL_UNSIGNED_BYTE);
}

void SetArray(LayerArray& array, GLint size, GLenum type, GLsizei stride, const GLvoid* pointer, GLint lowestSize,
              bool bytesAllowed) {
    if (size < lowestSize || size > 4 || stride < 0) {
        RecordError(GL_INVALID_VALUE);
        return;
    }
    if (!IsArrayType(type, bytesAllowed)) {
        RecordError(GL_INVALID_ENUM);
        return;
    }
    array.size = size;
    array.type = type;
    array.stride = stride;
    array.pointer = pointer;
}

// Rows of width pixels of the given components, as the alignment pads them.
GLsizei RowBytes(GLsizei width, int components, GLint alignment) {
    const GLsizei bytes = width * components;
    return (bytes + alignment - 1) / alignment * alignment;
}

}  // namespace

bool PrepareLayerObjects() {
    if (layer.vertexBuffer != 0) return true;
    glGenBuffers(1, &layer.vertexBuffer);
    if (layer.vertexBuffer != 0) return true;
    RecordError(GL_OUT_OF_MEMORY);
    return false;
}

void DrawLayerVertices(GLenum mode, const LayerVertex* vertices, GLsizei count) {
    if (mode >= GL_TRIANGLES && IsTexturing() && !InterpolatesExactly(vertices, count)) {
        if (PrepareLayerObjects()) DrawExactTriangles(mode, vertices, count);
        return;
    }
    if (mode == GL_QUADS) {
        vertices = AsTriangleList(mode, vertices, count);
        mode = GL_TRIANGLES;
    }
    if (count == 0 || !PrepareLayerObjects()) return;
    glBindBuffer(GL_ARRAY_BUFFER, layer.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * sizeof(LayerVertex)), vertices, GL_STREAM_DRAW);
    const GLsizei stride = sizeof(LayerVertex);
    glEnableVertexAttribArray(PositionAttribute);
    glVertexAttribPointer(PositionAttribute, 4, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(LayerVertex, position)));
    glEnableVertexAttribArray(ColourAttribute);
    glVertexAttribPointer(ColourAttribute, 4, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(LayerVertex, colour)));
    glEnableVertexAttribArray(TexCoordAttribute);
    glVertexAttribPointer(TexCoordAttribute, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(LayerVertex, texCoord)));
    if (UseProgram(CurrentTransform())) glDrawArrays(EsMode(mode), 0, count);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

// ---------------------------------------------------------------------------
// Immediate mode
// ---------------------------------------------------------------------------

void Gl11Begin(GLenum mode) {
    if (layer.inBegin) {
        RecordError(GL_INVALID_OPERATION);
        return;
    }
    if (!IsDrawMode(mode)) {
        RecordError(GL_INVALID_ENUM);
        return;
    }
    layer.inBegin = true;
    layer.beginMode = mode;
    layer.begun.clear();
}

void Gl11End() {
    if (!layer.inBegin) {
        RecordError(GL_INVALID_OPERATION);
        return;
    }
    layer.inBegin = false;
    DrawLayerVertices(layer.beginMode, layer.begun.data(), static_cast<GLsizei>(layer.begun.size()));
}

void Gl11Vertex3f(GLfloat x, GLfloat y, GLfloat z) {
    LayerVertex v = {{x, y, z, 1}, {layer.texCoord[0], layer.texCoord[1]}, {}};
    std::memcpy(v.colour, layer.colour, sizeof v.colour);
    layer.begun.push_back(v);
}

void Gl11Vertex2f(GLfloat x, GLfloat y) { Gl11Vertex3f(x, y, 0); }

// ---------------------------------------------------------------------------
// Client arrays
// ---------------------------------------------------------------------------

void Gl11VertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    SetArray(layer.vertexArray, size, type, stride, pointer, 2, false);
}
void Gl11ColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    SetArray(layer.colourArray, size, type, stride, pointer, 3, true);
}
void Gl11TexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    SetArray(layer.texCoordArray, size, type, stride, pointer, 1, false);
}

void Gl11DrawArrays(GLenum mode, GLint first, GLsizei count) {
    if (!IsDrawMode(mode)) {
        RecordError(GL_INVALID_ENUM);
        return;
    }
    if (count < 0 || first < 0) {
        RecordError(GL_INVALID_VALUE);
        return;
    }
    if (!layer.vertexArray.enabled || count == 0 || !PrepareLayerObjects()) return;
    if (mode == GL_QUADS || (mode >= GL_TRIANGLES && IsTexturing())) {
        arrayVertices.resize(static_cast<size_t>(count));
        for (GLsizei i = 0; i < count; i++) arrayVertices[i] = ReadArrayVertex(first + i);
        DrawLayerVertices(mode, arrayVertices.data(), count);
        return;
    }
    DrawClientArrays(mode, first, count);
}

// ---------------------------------------------------------------------------
// Pixel rectangles
// ---------------------------------------------------------------------------

void Gl11PixelStorei(GLenum name, GLint value) {
    if (value != 1 && value != 2 && value != 4 && value != 8) {
        RecordError(GL_INVALID_VALUE);
        return;
    }
    if (name == GL_PACK_ALIGNMENT) layer.packAlignment = value;
    else if (name == GL_UNPACK_ALIGNMENT) layer.unpackAlignment = value;
    else RecordError(GL_INVALID_ENUM);
}

void Gl11PixelZoom(GLfloat x, GLfloat y) {
    layer.zoom[0] = x;
    layer.zoom[1] = y;
}

// Only moves the raster position: the program draws no bitmap images.
void Gl11Bitmap(GLsizei, GLsizei, GLfloat, GLfloat, GLfloat xMove, GLfloat yMove, const GLubyte*) {
    layer.raster[0] += xMove;
    layer.raster[1] += yMove;
}

// The pixels as a texture on a rectangle from the raster position, zoom
// times their size: each pixel covers the fragments whose centres fall in
// its zoomed square, as the GL's own pixel drawing has it. Depth is the
// raster position's; blending, scissor and the depth test apply as enabled.
// Texturing does not apply (the program turns it off around its pixel draws).
void Gl11DrawPixels(GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid* pixels) {
    if ((format != GL_RGBA && format != GL_RGB) || type != GL_UNSIGNED_BYTE) {
        RecordError(GL_INVALID_ENUM);
        return;
    }
    if (width < 0 || height < 0) {
        RecordError(GL_INVALID_VALUE);
        return;
    }
    if (width == 0 || height == 0 || layer.zoom[0] == 0 || layer.zoom[1] == 0 || !PrepareLayerObjects()) return;
    if (layer.pixelTexture == 0) {
        glGenTextures(1, &layer.pixelTexture);
        glBindTexture(GL_TEXTURE_2D, layer.pixelTexture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    glBindTexture(GL_TEXTURE_2D, layer.pixelTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, layer.unpackAlignment);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, format, type, pixels);

    // The rectangle's corners in window coordinates (a negative zoom
    // mirrors), inside a viewport of whole pixels around it.
    const GLfloat x0 = layer.raster[0], y0 = layer.raster[1];
    const GLfloat x1 = x0 + width * layer.zoom[0], y1 = y0 + height * layer.zoom[1];
    const GLfloat left = std::min(x0, x1), right = std::max(x0, x1);
    const GLfloat bottom = std::min(y0, y1), top = std::max(y0, y1);
    const GLint vx = static_cast<GLint>(std::floor(left)), vy = static_cast<GLint>(std::floor(bottom));
    const GLsizei vw = static_cast<GLsizei>(std::ceil(right)) - vx, vh = static_cast<GLsizei>(std::ceil(top)) - vy;
    GLint viewport[4];
    ReadViewport(viewport);
    Gl11Viewport(vx, vy, vw, vh);
    const GLfloat nx0 = (left - vx) / vw * 2 - 1, nx1 = (right - vx) / vw * 2 - 1;
    const GLfloat ny0 = (bottom - vy) / vh * 2 - 1, ny1 = (top - vy) / vh * 2 - 1;
    const GLfloat sLeft = x0 < x1 ? 0.0f : 1.0f, tBottom = y0 < y1 ? 0.0f : 1.0f;
    const GLfloat sRight = 1 - sLeft, tTop = 1 - tBottom;
    const GLfloat z = layer.raster[2] * 2 - 1;
    const LayerVertex corners[4] = {{{nx0, ny0, z, 1}, {sLeft, tBottom}, {1, 1, 1, 1}},
                                    {{nx1, ny0, z, 1}, {sRight, tBottom}, {1, 1, 1, 1}},
                                    {{nx1, ny1, z, 1}, {sRight, tTop}, {1, 1, 1, 1}},
                                    {{nx0, ny1, z, 1}, {sLeft, tTop}, {1, 1, 1, 1}}};

    // Drawn as a replacing texture under identity matrices, the program's
    // state put back after.
    const std::vector<LayerMatrix> modelview = layer.modelview, projection = layer.projection;
    const bool texture2D = layer.texture2D;
    const GLenum environment = layer.environment;
    const GLuint bound = layer.boundTexture;
    layer.modelview.assign(1, LayerMatrix{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}});
    layer.projection = layer.modelview;
    layer.texture2D = true;
    layer.environment = GL_REPLACE;
    layer.boundTexture = layer.pixelTexture;
    LayerTexture& record = layer.textures[layer.pixelTexture];
    record = LayerTexture{};
    record.width = width;
    record.height = height;
    record.baseFormat = format;
    record.wrapS = record.wrapT = GL_CLAMP_TO_EDGE;
    record.minFilter = record.magFilter = GL_NEAREST;
    record.levels = 1;
    DrawLayerVertices(GL_QUADS, corners, 4);
    layer.modelview = modelview;
    layer.projection = projection;
    layer.texture2D = texture2D;
    layer.environment = environment;
    layer.boundTexture = bound;
    Gl11Viewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glBindTexture(GL_TEXTURE_2D, layer.boundTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, layer.unpackAlignment);
}

// RGBA bytes come straight from the GL; other layouts and alignments are
// made from a read of RGBA bytes.
void Gl11ReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels) {
    const int components = ComponentsOf(format);
    if (components == 0 || format == GL_LUMINANCE || type != GL_UNSIGNED_BYTE) {
        RecordError(GL_INVALID_ENUM);
        return;
    }
    if (width < 0 || height < 0) {
        RecordError(GL_INVALID_VALUE);
        return;
    }
    if (width == 0 || height == 0) return;
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    if (format == GL_RGBA && RowBytes(width, 4, layer.packAlignment) == width * 4) {
        glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        return;
    }
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    const GLsizei rowBytes = RowBytes(width, components, layer.packAlignment);
    uint8_t* out = static_cast<uint8_t*>(pixels);
    for (GLsizei row = 0; row < height; row++) {
        const uint8_t* from = &rgba[static_cast<size_t>(row) * width * 4];
        uint8_t* to = out + static_cast<size_t>(row) * rowBytes;
        for (GLsizei i = 0; i < width; i++) {
            if (format == GL_ALPHA) to[i] = from[i * 4 + 3];
            else std::memcpy(to + i * components, from + i * 4, static_cast<size_t>(components));
        }
    }
}
