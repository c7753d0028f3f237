// The OpenGL 1.1, GLU and framebuffer-object calls TALVOX makes, for GLs that
// have none of them (OpenGL ES 2.0, WebGL 1): screen/OpenGL.h includes this
// instead of <GL/gl.h> and <GL/glu.h> when TALVOX_GL11_LAYER is defined. The
// calls are the layer's own functions (Gl11...) under the usual names, so
// that the layer itself can call the ES functions of the same names beneath.
// Only what the program uses is here; the names and values are the GL's.
#pragma once
#include <cstddef>

typedef unsigned int GLenum;
typedef unsigned char GLboolean;
typedef unsigned int GLbitfield;
typedef void GLvoid;
typedef signed char GLbyte;
typedef short GLshort;
typedef int GLint;
typedef int GLsizei;
typedef unsigned char GLubyte;
typedef unsigned short GLushort;
typedef unsigned int GLuint;
typedef float GLfloat;
typedef float GLclampf;
typedef double GLdouble;
typedef double GLclampd;

// ---------------------------------------------------------------------------
// Names and values
// ---------------------------------------------------------------------------

#define GL_FALSE 0
#define GL_TRUE 1
#define GL_ZERO 0
#define GL_ONE 1
#define GL_NO_ERROR 0
#define GL_INVALID_ENUM 0x0500
#define GL_INVALID_VALUE 0x0501
#define GL_INVALID_OPERATION 0x0502
#define GL_STACK_OVERFLOW 0x0503
#define GL_STACK_UNDERFLOW 0x0504
#define GL_OUT_OF_MEMORY 0x0505

#define GL_POINTS 0x0000
#define GL_LINES 0x0001
#define GL_LINE_LOOP 0x0002
#define GL_LINE_STRIP 0x0003
#define GL_TRIANGLES 0x0004
#define GL_TRIANGLE_STRIP 0x0005
#define GL_TRIANGLE_FAN 0x0006
#define GL_QUADS 0x0007
#define GL_QUAD_STRIP 0x0008
#define GL_POLYGON 0x0009

#define GL_DEPTH_BUFFER_BIT 0x00000100
#define GL_STENCIL_BUFFER_BIT 0x00000400
#define GL_COLOR_BUFFER_BIT 0x00004000

#define GL_LESS 0x0201
#define GL_LEQUAL 0x0203
#define GL_ALWAYS 0x0207
#define GL_SRC_ALPHA 0x0302
#define GL_ONE_MINUS_SRC_ALPHA 0x0303
#define GL_FRONT 0x0404
#define GL_BACK 0x0405
#define GL_FRONT_AND_BACK 0x0408

#define GL_CURRENT_COLOR 0x0B00
#define GL_CURRENT_TEXTURE_COORDS 0x0B03
#define GL_CURRENT_RASTER_POSITION 0x0B07
#define GL_CURRENT_RASTER_POSITION_VALID 0x0B08
#define GL_CULL_FACE 0x0B44
#define GL_LIGHTING 0x0B50
#define GL_SHADE_MODEL 0x0B54
#define GL_COLOR_MATERIAL 0x0B57
#define GL_FOG 0x0B60
#define GL_DEPTH_TEST 0x0B71
#define GL_DEPTH_WRITEMASK 0x0B72
#define GL_DEPTH_CLEAR_VALUE 0x0B73
#define GL_DEPTH_FUNC 0x0B74
#define GL_MATRIX_MODE 0x0BA0
#define GL_NORMALIZE 0x0BA1
#define GL_VIEWPORT 0x0BA2
#define GL_MODELVIEW_STACK_DEPTH 0x0BA3
#define GL_PROJECTION_STACK_DEPTH 0x0BA4
#define GL_MODELVIEW_MATRIX 0x0BA6
#define GL_PROJECTION_MATRIX 0x0BA7
#define GL_ALPHA_TEST 0x0BC0
#define GL_DITHER 0x0BD0
#define GL_BLEND_DST 0x0BE0
#define GL_BLEND_SRC 0x0BE1
#define GL_BLEND 0x0BE2
#define GL_DRAW_BUFFER 0x0C01
#define GL_SCISSOR_BOX 0x0C10
#define GL_SCISSOR_TEST 0x0C11
#define GL_COLOR_CLEAR_VALUE 0x0C22
#define GL_DOUBLEBUFFER 0x0C32
#define GL_PERSPECTIVE_CORRECTION_HINT 0x0C50
#define GL_UNPACK_ALIGNMENT 0x0CF5
#define GL_PACK_ALIGNMENT 0x0D05
#define GL_ZOOM_X 0x0D16
#define GL_ZOOM_Y 0x0D17
#define GL_MAX_TEXTURE_SIZE 0x0D33
#define GL_MAX_VIEWPORT_DIMS 0x0D3A
#define GL_RED_BITS 0x0D52
#define GL_GREEN_BITS 0x0D53
#define GL_BLUE_BITS 0x0D54
#define GL_ALPHA_BITS 0x0D55
#define GL_DEPTH_BITS 0x0D56
#define GL_STENCIL_BITS 0x0D57
#define GL_TEXTURE_2D 0x0DE1

#define GL_TEXTURE_WIDTH 0x1000
#define GL_TEXTURE_HEIGHT 0x1001
#define GL_TEXTURE_INTERNAL_FORMAT 0x1003
#define GL_DONT_CARE 0x1100
#define GL_FASTEST 0x1101
#define GL_NICEST 0x1102
#define GL_BYTE 0x1400
#define GL_UNSIGNED_BYTE 0x1401
#define GL_SHORT 0x1402
#define GL_UNSIGNED_SHORT 0x1403
#define GL_INT 0x1404
#define GL_UNSIGNED_INT 0x1405
#define GL_FLOAT 0x1406
#define GL_DOUBLE 0x140A
#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701
#define GL_TEXTURE 0x1702
#define GL_ALPHA 0x1906
#define GL_RGB 0x1907
#define GL_RGBA 0x1908
#define GL_LUMINANCE 0x1909
#define GL_FLAT 0x1D00
#define GL_SMOOTH 0x1D01
#define GL_REPLACE 0x1E01
#define GL_VENDOR 0x1F00
#define GL_RENDERER 0x1F01
#define GL_VERSION 0x1F02
#define GL_EXTENSIONS 0x1F03
#define GL_MODULATE 0x2100
#define GL_DECAL 0x2101
#define GL_TEXTURE_ENV_MODE 0x2200
#define GL_TEXTURE_ENV 0x2300
#define GL_NEAREST 0x2600
#define GL_LINEAR 0x2601
#define GL_NEAREST_MIPMAP_NEAREST 0x2700
#define GL_LINEAR_MIPMAP_NEAREST 0x2701
#define GL_NEAREST_MIPMAP_LINEAR 0x2702
#define GL_LINEAR_MIPMAP_LINEAR 0x2703
#define GL_TEXTURE_MAG_FILTER 0x2800
#define GL_TEXTURE_MIN_FILTER 0x2801
#define GL_TEXTURE_WRAP_S 0x2802
#define GL_TEXTURE_WRAP_T 0x2803
#define GL_CLAMP 0x2900
#define GL_REPEAT 0x2901
#define GL_LIGHT0 0x4000
#define GL_LIGHT1 0x4001
#define GL_LIGHT2 0x4002
#define GL_RGB8 0x8051
#define GL_RGBA8 0x8058
#define GL_TEXTURE_BINDING_2D 0x8069
#define GL_VERTEX_ARRAY 0x8074
#define GL_NORMAL_ARRAY 0x8075
#define GL_COLOR_ARRAY 0x8076
#define GL_TEXTURE_COORD_ARRAY 0x8078
#define GL_CLAMP_TO_EDGE 0x812F

// ---------------------------------------------------------------------------
// The layer's functions
// ---------------------------------------------------------------------------

// Every GL and GLU call the layer provides, listed once: its result, the
// usual name's prefix and the rest of its name, its parameters and the
// arguments they pass on. The layer's own function is Gl11<name>; the
// program calls it by its usual name, gl<name> or glu<name>, which forwards
// to it. Adding a call is a line here and its code in the layer.
// clang-format off
#define GL11_CALLS(CALL) \
    /* Matrices: the current one of the modelview and projection stacks (32 deep */ \
    /* each), kept and multiplied on the CPU in single precision as the GL does. */ \
    CALL(void, gl, MatrixMode, (GLenum mode), (mode)) \
    CALL(void, gl, LoadIdentity, (), ()) \
    CALL(void, gl, PushMatrix, (), ()) \
    CALL(void, gl, PopMatrix, (), ()) \
    CALL(void, gl, MultMatrixf, (const GLfloat* m), (m)) \
    CALL(void, gl, MultMatrixd, (const GLdouble* m), (m)) \
    CALL(void, gl, Rotatef, (GLfloat angle, GLfloat x, GLfloat y, GLfloat z), (angle, x, y, z)) \
    CALL(void, gl, Translatef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z)) \
    CALL(void, gl, Scalef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z)) \
    CALL(void, glu, Perspective, (GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar), (fovy, aspect, zNear, zFar)) \
    CALL(void, gl, Viewport, (GLint x, GLint y, GLsizei width, GLsizei height), (x, y, width, height)) \
    /* Immediate mode: vertices gathered between glBegin and glEnd, then drawn */ \
    /* as one array (quads as two triangles each). */ \
    CALL(void, gl, Begin, (GLenum mode), (mode)) \
    CALL(void, gl, End, (), ()) \
    CALL(void, gl, Vertex2f, (GLfloat x, GLfloat y), (x, y)) \
    CALL(void, gl, Vertex3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z)) \
    CALL(void, gl, TexCoord2f, (GLfloat s, GLfloat t), (s, t)) \
    CALL(void, gl, Normal3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z)) \
    CALL(void, gl, Color3ub, (GLubyte red, GLubyte green, GLubyte blue), (red, green, blue)) \
    CALL(void, gl, Color4ub, (GLubyte red, GLubyte green, GLubyte blue, GLubyte alpha), (red, green, blue, alpha)) \
    CALL(void, gl, Color4f, (GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha), (red, green, blue, alpha)) \
    /* Client arrays: read from the program's memory at each draw and sent to */ \
    /* the GL then. */ \
    CALL(void, gl, EnableClientState, (GLenum array), (array)) \
    CALL(void, gl, DisableClientState, (GLenum array), (array)) \
    CALL(void, gl, VertexPointer, (GLint size, GLenum type, GLsizei stride, const GLvoid* pointer), (size, type, stride, pointer)) \
    CALL(void, gl, ColorPointer, (GLint size, GLenum type, GLsizei stride, const GLvoid* pointer), (size, type, stride, pointer)) \
    CALL(void, gl, TexCoordPointer, (GLint size, GLenum type, GLsizei stride, const GLvoid* pointer), (size, type, stride, pointer)) \
    CALL(void, gl, DrawArrays, (GLenum mode, GLint first, GLsizei count), (mode, first, count)) \
    /* Textures and their environment (GL_MODULATE and GL_REPLACE). */ \
    CALL(void, gl, GenTextures, (GLsizei n, GLuint* textures), (n, textures)) \
    CALL(void, gl, DeleteTextures, (GLsizei n, const GLuint* textures), (n, textures)) \
    CALL(void, gl, BindTexture, (GLenum target, GLuint texture), (target, texture)) \
    CALL(GLboolean, gl, IsTexture, (GLuint texture), (texture)) \
    CALL(void, gl, TexImage2D, (GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border, GLenum format, GLenum type, const GLvoid* pixels), (target, level, internalFormat, width, height, border, format, type, pixels)) \
    CALL(void, gl, TexSubImage2D, (GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid* pixels), (target, level, x, y, width, height, format, type, pixels)) \
    CALL(void, gl, TexParameteri, (GLenum target, GLenum name, GLint value), (target, name, value)) \
    CALL(void, gl, TexEnvi, (GLenum target, GLenum name, GLint value), (target, name, value)) \
    CALL(void, gl, GetTexEnviv, (GLenum target, GLenum name, GLint* values), (target, name, values)) \
    CALL(void, gl, GetTexLevelParameteriv, (GLenum target, GLint level, GLenum name, GLint* values), (target, level, name, values)) \
    /* Pixels: drawn at the raster position (which glBitmap moves) and zoom, */ \
    /* and read back. */ \
    CALL(void, gl, PixelStorei, (GLenum name, GLint value), (name, value)) \
    CALL(void, gl, PixelZoom, (GLfloat x, GLfloat y), (x, y)) \
    CALL(void, gl, Bitmap, (GLsizei width, GLsizei height, GLfloat xOrigin, GLfloat yOrigin, GLfloat xMove, GLfloat yMove, const GLubyte* bitmap), (width, height, xOrigin, yOrigin, xMove, yMove, bitmap)) \
    CALL(void, gl, DrawPixels, (GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid* pixels), (width, height, format, type, pixels)) \
    CALL(void, gl, ReadPixels, (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels), (x, y, width, height, format, type, pixels)) \
    /* Buffers, tests and the rest of the state. */ \
    CALL(void, gl, Clear, (GLbitfield mask), (mask)) \
    CALL(void, gl, ClearColor, (GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha), (red, green, blue, alpha)) \
    CALL(void, gl, ClearDepth, (GLclampd depth), (depth)) \
    CALL(void, gl, DepthFunc, (GLenum function), (function)) \
    CALL(void, gl, BlendFunc, (GLenum source, GLenum destination), (source, destination)) \
    CALL(void, gl, Scissor, (GLint x, GLint y, GLsizei width, GLsizei height), (x, y, width, height)) \
    CALL(void, gl, Enable, (GLenum capability), (capability)) \
    CALL(void, gl, Disable, (GLenum capability), (capability)) \
    CALL(GLboolean, gl, IsEnabled, (GLenum capability), (capability)) \
    CALL(void, gl, ShadeModel, (GLenum mode), (mode)) \
    CALL(void, gl, Hint, (GLenum target, GLenum mode), (target, mode)) \
    CALL(void, gl, DrawBuffer, (GLenum buffer), (buffer)) \
    CALL(void, gl, Flush, (), ()) \
    CALL(void, gl, Finish, (), ()) \
    CALL(GLenum, gl, GetError, (), ()) \
    CALL(const GLubyte*, gl, GetString, (GLenum name), (name)) \
    CALL(void, gl, GetBooleanv, (GLenum name, GLboolean* values), (name, values)) \
    CALL(void, gl, GetIntegerv, (GLenum name, GLint* values), (name, values)) \
    CALL(void, gl, GetFloatv, (GLenum name, GLfloat* values), (name, values))
// clang-format on

#define GL11_DECLARE(result, prefix, name, parameters, arguments) result Gl11##name parameters;
GL11_CALLS(GL11_DECLARE)
#undef GL11_DECLARE

// The layer's own GL_EXT_framebuffer_object functions by their names
// ("glGenFramebuffersEXT", ...); null for any other name. A platform under
// the layer answers its GL function lookup with this.
void* Gl11Function(const char* name);
// After the GL context is lost or destroyed, before another is made current:
// forgets the layer's GL objects (without deleting them) and puts its state
// back to a new context's. They are made again on first use.
void Gl11ForgetContext();
// How many texture names the layer keeps a record of (each from its first
// binding until deleted; texture 0 and the layer's own pixel texture among
// them): a number that grows frame after frame is a leak.
size_t Gl11TextureCount();
// Where the layer's vertex shaders put vertices: 0 where they fall, n on a
// grid of 1/n of a pixel, as a coarser rasteriser does (SwiftShader's is 16),
// so that the desktop's tests see what such a GL makes of the pictures. Read
// when a context's programs are made.
extern int gl11VertexGrid;

// ---------------------------------------------------------------------------
// The usual names
// ---------------------------------------------------------------------------

// The program's calls by the usual names; not inside the layer, which calls
// the OpenGL ES functions of those names beneath.
#ifndef TALVOX_GL11_LAYER_INSIDE
#define GL11_FORWARD(result, prefix, name, parameters, arguments) \
    inline result prefix##name parameters { return Gl11##name arguments; }
GL11_CALLS(GL11_FORWARD)
#undef GL11_FORWARD
#endif
