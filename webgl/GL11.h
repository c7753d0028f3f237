// The OpenGL 1.1, GLU and framebuffer-object calls TALVOX makes, for GLs that
// have none of them (OpenGL ES 2.0, WebGL 1): screen/OpenGL.h includes this
// instead of <GL/gl.h> and <GL/glu.h> when TALVOX_GL11_LAYER is defined. The
// calls are the layer's own functions (WebGl...) under the usual names, so
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

// Matrices: the current one of the modelview and projection stacks (32 deep
// each), kept and multiplied on the CPU in single precision as the GL does.
void WebGlMatrixMode(GLenum mode);
void WebGlLoadIdentity();
void WebGlPushMatrix();
void WebGlPopMatrix();
void WebGlMultMatrixf(const GLfloat* m);
void WebGlMultMatrixd(const GLdouble* m);
void WebGlRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void WebGlTranslatef(GLfloat x, GLfloat y, GLfloat z);
void WebGlScalef(GLfloat x, GLfloat y, GLfloat z);
void WebGluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);
void WebGlViewport(GLint x, GLint y, GLsizei width, GLsizei height);

// Immediate mode: vertices gathered between glBegin and glEnd, then drawn
// as one array (quads as two triangles each).
void WebGlBegin(GLenum mode);
void WebGlEnd();
void WebGlVertex2f(GLfloat x, GLfloat y);
void WebGlVertex3f(GLfloat x, GLfloat y, GLfloat z);
void WebGlTexCoord2f(GLfloat s, GLfloat t);
void WebGlNormal3f(GLfloat x, GLfloat y, GLfloat z);
void WebGlColor3ub(GLubyte red, GLubyte green, GLubyte blue);
void WebGlColor4ub(GLubyte red, GLubyte green, GLubyte blue, GLubyte alpha);
void WebGlColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);

// Client arrays: read from the program's memory at each draw and sent to
// the GL then.
void WebGlEnableClientState(GLenum array);
void WebGlDisableClientState(GLenum array);
void WebGlVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
void WebGlColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
void WebGlTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
void WebGlDrawArrays(GLenum mode, GLint first, GLsizei count);

// Textures and their environment (GL_MODULATE and GL_REPLACE).
void WebGlGenTextures(GLsizei n, GLuint* textures);
void WebGlDeleteTextures(GLsizei n, const GLuint* textures);
void WebGlBindTexture(GLenum target, GLuint texture);
GLboolean WebGlIsTexture(GLuint texture);
void WebGlTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                     GLenum format, GLenum type, const GLvoid* pixels);
void WebGlTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                        GLenum type, const GLvoid* pixels);
void WebGlTexParameteri(GLenum target, GLenum name, GLint value);
void WebGlTexEnvi(GLenum target, GLenum name, GLint value);
void WebGlGetTexEnviv(GLenum target, GLenum name, GLint* values);
void WebGlGetTexLevelParameteriv(GLenum target, GLint level, GLenum name, GLint* values);

// Pixels: drawn at the raster position (which glBitmap moves) and zoom,
// and read back.
void WebGlPixelStorei(GLenum name, GLint value);
void WebGlPixelZoom(GLfloat x, GLfloat y);
void WebGlBitmap(GLsizei width, GLsizei height, GLfloat xOrigin, GLfloat yOrigin, GLfloat xMove, GLfloat yMove,
                 const GLubyte* bitmap);
void WebGlDrawPixels(GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid* pixels);
void WebGlReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels);

// Buffers, tests and the rest of the state.
void WebGlClear(GLbitfield mask);
void WebGlClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
void WebGlClearDepth(GLclampd depth);
void WebGlDepthFunc(GLenum function);
void WebGlBlendFunc(GLenum source, GLenum destination);
void WebGlScissor(GLint x, GLint y, GLsizei width, GLsizei height);
void WebGlEnable(GLenum capability);
void WebGlDisable(GLenum capability);
GLboolean WebGlIsEnabled(GLenum capability);
void WebGlShadeModel(GLenum mode);
void WebGlHint(GLenum target, GLenum mode);
void WebGlDrawBuffer(GLenum buffer);
void WebGlFlush();
void WebGlFinish();
GLenum WebGlGetError();
const GLubyte* WebGlGetString(GLenum name);
void WebGlGetBooleanv(GLenum name, GLboolean* values);
void WebGlGetIntegerv(GLenum name, GLint* values);
void WebGlGetFloatv(GLenum name, GLfloat* values);

// The layer's own GL_EXT_framebuffer_object functions by their names
// ("glGenFramebuffersEXT", ...); null for any other name. A platform under
// the layer answers its GL function lookup with this.
void* WebGlFunction(const char* name);
// After the GL context is lost or destroyed, before another is made current:
// forgets the layer's GL objects (without deleting them) and puts its state
// back to a new context's. They are made again on first use.
void WebGlForgetContext();

// ---------------------------------------------------------------------------
// The usual names
// ---------------------------------------------------------------------------

#ifndef TALVOX_GL11_LAYER_INSIDE
#define glMatrixMode WebGlMatrixMode
#define glLoadIdentity WebGlLoadIdentity
#define glPushMatrix WebGlPushMatrix
#define glPopMatrix WebGlPopMatrix
#define glMultMatrixf WebGlMultMatrixf
#define glMultMatrixd WebGlMultMatrixd
#define glRotatef WebGlRotatef
#define glTranslatef WebGlTranslatef
#define glScalef WebGlScalef
#define gluPerspective WebGluPerspective
#define glViewport WebGlViewport
#define glBegin WebGlBegin
#define glEnd WebGlEnd
#define glVertex2f WebGlVertex2f
#define glVertex3f WebGlVertex3f
#define glTexCoord2f WebGlTexCoord2f
#define glNormal3f WebGlNormal3f
#define glColor3ub WebGlColor3ub
#define glColor4ub WebGlColor4ub
#define glColor4f WebGlColor4f
#define glEnableClientState WebGlEnableClientState
#define glDisableClientState WebGlDisableClientState
#define glVertexPointer WebGlVertexPointer
#define glColorPointer WebGlColorPointer
#define glTexCoordPointer WebGlTexCoordPointer
#define glDrawArrays WebGlDrawArrays
#define glGenTextures WebGlGenTextures
#define glDeleteTextures WebGlDeleteTextures
#define glBindTexture WebGlBindTexture
#define glIsTexture WebGlIsTexture
#define glTexImage2D WebGlTexImage2D
#define glTexSubImage2D WebGlTexSubImage2D
#define glTexParameteri WebGlTexParameteri
#define glTexEnvi WebGlTexEnvi
#define glGetTexEnviv WebGlGetTexEnviv
#define glGetTexLevelParameteriv WebGlGetTexLevelParameteriv
#define glPixelStorei WebGlPixelStorei
#define glPixelZoom WebGlPixelZoom
#define glBitmap WebGlBitmap
#define glDrawPixels WebGlDrawPixels
#define glReadPixels WebGlReadPixels
#define glClear WebGlClear
#define glClearColor WebGlClearColor
#define glClearDepth WebGlClearDepth
#define glDepthFunc WebGlDepthFunc
#define glBlendFunc WebGlBlendFunc
#define glScissor WebGlScissor
#define glEnable WebGlEnable
#define glDisable WebGlDisable
#define glIsEnabled WebGlIsEnabled
#define glShadeModel WebGlShadeModel
#define glHint WebGlHint
#define glDrawBuffer WebGlDrawBuffer
#define glFlush WebGlFlush
#define glFinish WebGlFinish
#define glGetError WebGlGetError
#define glGetString WebGlGetString
#define glGetBooleanv WebGlGetBooleanv
#define glGetIntegerv WebGlGetIntegerv
#define glGetFloatv WebGlGetFloatv
#endif
