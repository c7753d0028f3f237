// The GL 1.1 layer's state: matrices and their stacks, enables, current
// values, errors and the answers to the program's queries. Drawing is in
// GL11Draw.cpp, textures and framebuffer objects in GL11Textures.cpp.
#include <cmath>
#include <cstring>

#include "gl11/LayerState.h"

LayerState layer;

namespace {

const LayerMatrix Identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

// The stack glMatrixMode chose; texture matrices are not kept (the program
// never selects them), so GL_TEXTURE leaves the modelview current.
std::vector<LayerMatrix>& CurrentStack() {
    if (layer.modelview.empty()) layer.modelview.push_back(Identity);
    if (layer.projection.empty()) layer.projection.push_back(Identity);
    return layer.matrixMode == GL_PROJECTION ? layer.projection : layer.modelview;
}

// a x b, element by element in single precision, each sum left to right.
LayerMatrix Multiply(const LayerMatrix& a, const LayerMatrix& b) {
    LayerMatrix p;
    for (int row = 0; row < 4; row++)
        for (int col = 0; col < 4; col++)
            p.m[col * 4 + row] = a.m[row] * b.m[col * 4] + a.m[4 + row] * b.m[col * 4 + 1] +
                                 a.m[8 + row] * b.m[col * 4 + 2] + a.m[12 + row] * b.m[col * 4 + 3];
    return p;
}

void MultiplyCurrent(const LayerMatrix& by) {
    LayerMatrix& top = CurrentStack().back();
    top = Multiply(top, by);
}

// Capabilities the ES GL has itself; the rest are the layer's.
bool IsEsCapability(GLenum capability) {
    switch (capability) {
    case GL_BLEND:
    case GL_DEPTH_TEST:
    case GL_SCISSOR_TEST:
    case GL_CULL_FACE:
    case GL_DITHER: return true;
    default: return false;
    }
}

// The layer's flag for a capability; null for one it does not know.
bool* LayerCapability(GLenum capability) {
    if (capability >= GL_LIGHT0 && capability < GL_LIGHT0 + 8) return &layer.lights[capability - GL_LIGHT0];
    switch (capability) {
    case GL_TEXTURE_2D: return &layer.texture2D;
    case GL_LIGHTING: return &layer.lighting;
    case GL_COLOR_MATERIAL: return &layer.colourMaterial;
    case GL_ALPHA_TEST: return &layer.alphaTest;
    case GL_FOG: return &layer.fog;
    case GL_NORMALIZE: return &layer.normalize;
    case GL_VERTEX_ARRAY: return &layer.vertexArray.enabled;
    case GL_COLOR_ARRAY: return &layer.colourArray.enabled;
    case GL_TEXTURE_COORD_ARRAY: return &layer.texCoordArray.enabled;
    case GL_NORMAL_ARRAY: return &layer.normalArray.enabled;
    default: return nullptr;
    }
}

void SetCapability(GLenum capability, bool on) {
    if (IsEsCapability(capability)) {
        if (on) glEnable(capability);
        else glDisable(capability);
        return;
    }
    bool* flag = LayerCapability(capability);
    if (!flag || capability == GL_VERTEX_ARRAY || capability == GL_COLOR_ARRAY ||
        capability == GL_TEXTURE_COORD_ARRAY || capability == GL_NORMAL_ARRAY) {
        RecordError(GL_INVALID_ENUM);
        return;
    }
    *flag = on;
}

LayerArray* ClientArray(GLenum array) {
    switch (array) {
    case GL_VERTEX_ARRAY: return &layer.vertexArray;
    case GL_COLOR_ARRAY: return &layer.colourArray;
    case GL_TEXTURE_COORD_ARRAY: return &layer.texCoordArray;
    case GL_NORMAL_ARRAY: return &layer.normalArray;
    default: return nullptr;
    }
}

// How a query's values convert to integers: colours and depths scale to the
// whole integer range, everything else rounds.
enum QueryKind { PlainValues, ColourValues };

// The layer's answer to a query: how many values, in values; 0 when the
// ES GL is to answer.
int AnswerQuery(GLenum name, double values[16], QueryKind& kind) {
    kind = PlainValues;
    switch (name) {
    case GL_MODELVIEW_MATRIX:
    case GL_PROJECTION_MATRIX: {
        const GLenum mode = layer.matrixMode;
        layer.matrixMode = name == GL_MODELVIEW_MATRIX ? GL_MODELVIEW : GL_PROJECTION;
        const LayerMatrix& top = CurrentStack().back();
        layer.matrixMode = mode;
        for (int i = 0; i < 16; i++) values[i] = top.m[i];
        return 16;
    }
    case GL_MATRIX_MODE: values[0] = layer.matrixMode; return 1;
    case GL_MODELVIEW_STACK_DEPTH:
        CurrentStack();
        values[0] = static_cast<double>(layer.modelview.size());
        return 1;
    case GL_PROJECTION_STACK_DEPTH:
        CurrentStack();
        values[0] = static_cast<double>(layer.projection.size());
        return 1;
    case GL_CURRENT_COLOR:
        kind = ColourValues;
        for (int i = 0; i < 4; i++) values[i] = layer.colour[i];
        return 4;
    case GL_CURRENT_TEXTURE_COORDS:
        values[0] = layer.texCoord[0];
        values[1] = layer.texCoord[1];
        values[2] = 0;
        values[3] = 1;
        return 4;
    case GL_CURRENT_RASTER_POSITION:
        for (int i = 0; i < 3; i++) values[i] = layer.raster[i];
        values[3] = 1;
        return 4;
    case GL_CURRENT_RASTER_POSITION_VALID: values[0] = 1; return 1;
    case GL_ZOOM_X: values[0] = layer.zoom[0]; return 1;
    case GL_ZOOM_Y: values[0] = layer.zoom[1]; return 1;
    case GL_SHADE_MODEL: values[0] = layer.shadeModel; return 1;
    case GL_PERSPECTIVE_CORRECTION_HINT: values[0] = layer.perspectiveHint; return 1;
    case GL_DRAW_BUFFER: values[0] = layer.drawBuffer; return 1;
    case GL_PACK_ALIGNMENT: values[0] = layer.packAlignment; return 1;
    case GL_UNPACK_ALIGNMENT: values[0] = layer.unpackAlignment; return 1;
    case GL_TEXTURE_BINDING_2D: values[0] = layer.boundTexture; return 1;
    case GL_DOUBLEBUFFER: values[0] = 1; return 1;
    case GL_VIEWPORT: {
        GLint viewport[4];
        ReadViewport(viewport);
        for (int i = 0; i < 4; i++) values[i] = viewport[i];
        return 4;
    }
    default: break;
    }
    if (LayerCapability(name) != nullptr) {
        values[0] = *LayerCapability(name) ? 1 : 0;
        return 1;
    }
    return 0;
}

GLint ToInteger(double value, QueryKind kind) {
    if (kind == ColourValues) return static_cast<GLint>(std::lround(value * 2147483647.0));
    return static_cast<GLint>(std::lround(value));
}

}  // namespace

void RecordError(GLenum error) {
    if (layer.error == GL_NO_ERROR) layer.error = error;
}

LayerMatrix CurrentTransform() {
    CurrentStack();
    return Multiply(layer.projection.back(), layer.modelview.back());
}

// ---------------------------------------------------------------------------
// Matrices
// ---------------------------------------------------------------------------

void Gl11MatrixMode(GLenum mode) {
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) {
        RecordError(GL_INVALID_ENUM);
        return;
    }
    layer.matrixMode = mode == GL_TEXTURE ? GL_MODELVIEW : mode;
}

void Gl11LoadIdentity() { CurrentStack().back() = Identity; }

void Gl11PushMatrix() {
    std::vector<LayerMatrix>& stack = CurrentStack();
    if (stack.size() >= LayerStackDepth) {
        RecordError(GL_STACK_OVERFLOW);
        return;
    }
    stack.push_back(stack.back());
}

void Gl11PopMatrix() {
    std::vector<LayerMatrix>& stack = CurrentStack();
    if (stack.size() <= 1) {
        RecordError(GL_STACK_UNDERFLOW);
        return;
    }
    stack.pop_back();
}

void Gl11MultMatrixf(const GLfloat* m) {
    LayerMatrix by;
    std::memcpy(by.m, m, sizeof by.m);
    MultiplyCurrent(by);
}

void Gl11MultMatrixd(const GLdouble* m) {
    LayerMatrix by;
    for (int i = 0; i < 16; i++) by.m[i] = static_cast<GLfloat>(m[i]);
    MultiplyCurrent(by);
}

// The sine and cosine in double precision, rounded once to single. A turn
// about one axis keeps its exact ones and zeros.
void Gl11Rotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    const double radians = angle * 3.14159265358979323846 / 180.0;
    const GLfloat s = static_cast<GLfloat>(std::sin(radians)), c = static_cast<GLfloat>(std::cos(radians));
    LayerMatrix r = Identity;
    auto at = [&r](int row, int col) -> GLfloat& { return r.m[col * 4 + row]; };
    const int axes = (x != 0.0f) + (y != 0.0f) + (z != 0.0f);
    if (axes == 0) return;
    if (axes == 1) {
        // Rows and columns of the two coordinates the turn moves.
        const int a = x != 0.0f ? 1 : y != 0.0f ? 2 : 0;
        const int b = x != 0.0f ? 2 : y != 0.0f ? 0 : 1;
        const GLfloat sign = (x + y + z) < 0.0f ? -1.0f : 1.0f;
        at(a, a) = c;
        at(b, b) = c;
        at(a, b) = -s * sign;
        at(b, a) = s * sign;
    } else {
        const GLfloat length = std::sqrt(x * x + y * y + z * z);
        x /= length;
        y /= length;
        z /= length;
        const GLfloat t = 1.0f - c;
        at(0, 0) = t * x * x + c;
        at(0, 1) = t * x * y - z * s;
        at(0, 2) = t * x * z + y * s;
        at(1, 0) = t * x * y + z * s;
        at(1, 1) = t * y * y + c;
        at(1, 2) = t * y * z - x * s;
        at(2, 0) = t * x * z - y * s;
        at(2, 1) = t * y * z + x * s;
        at(2, 2) = t * z * z + c;
    }
    MultiplyCurrent(r);
}

// Only the last column changes: m[12 + i] = m[i] x + m[4 + i] y + m[8 + i] z + m[12 + i].
void Gl11Translatef(GLfloat x, GLfloat y, GLfloat z) {
    GLfloat* m = CurrentStack().back().m;
    for (int i = 0; i < 4; i++) m[12 + i] = m[i] * x + m[4 + i] * y + m[8 + i] * z + m[12 + i];
}

void Gl11Scalef(GLfloat x, GLfloat y, GLfloat z) {
    GLfloat* m = CurrentStack().back().m;
    for (int i = 0; i < 4; i++) {
        m[i] *= x;
        m[4 + i] *= y;
        m[8 + i] *= z;
    }
}

// The perspective matrix in double precision, multiplied in as glMultMatrixd.
void Gl11Perspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double radians = fovy / 2 * 3.14159265358979323846 / 180;
    const double depth = zFar - zNear, sine = std::sin(radians);
    if (depth == 0 || sine == 0 || aspect == 0) return;
    const double cotangent = std::cos(radians) / sine;
    GLdouble m[16] = {};
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(zFar + zNear) / depth;
    m[11] = -1;
    m[14] = -2 * zNear * zFar / depth;
    Gl11MultMatrixd(m);
}

void Gl11Viewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    glViewport(x, y, width, height);
    if (width < 0 || height < 0) return;  // refused by ES, which keeps the one it has
    const GLint viewport[4] = {x, y, width, height};
    std::memcpy(layer.viewport, viewport, sizeof viewport);
    layer.viewportKnown = true;
}

void ReadViewport(GLint viewport[4]) {
    if (!layer.viewportKnown) glGetIntegerv(GL_VIEWPORT, layer.viewport);
    layer.viewportKnown = true;
    std::memcpy(viewport, layer.viewport, sizeof layer.viewport);
}

// ---------------------------------------------------------------------------
// Enables and the state ES keeps itself
// ---------------------------------------------------------------------------

void Gl11Enable(GLenum capability) { SetCapability(capability, true); }
void Gl11Disable(GLenum capability) { SetCapability(capability, false); }

GLboolean Gl11IsEnabled(GLenum capability) {
    if (IsEsCapability(capability)) return glIsEnabled(capability);
    const bool* flag = LayerCapability(capability);
    if (!flag) {
        RecordError(GL_INVALID_ENUM);
        return GL_FALSE;
    }
    return *flag ? GL_TRUE : GL_FALSE;
}

void Gl11EnableClientState(GLenum array) {
    if (LayerArray* a = ClientArray(array)) a->enabled = true;
    else RecordError(GL_INVALID_ENUM);
}

void Gl11DisableClientState(GLenum array) {
    if (LayerArray* a = ClientArray(array)) a->enabled = false;
    else RecordError(GL_INVALID_ENUM);
}

void Gl11Clear(GLbitfield mask) { glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT)); }
void Gl11ClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    glClearColor(red, green, blue, alpha);
}
void Gl11ClearDepth(GLclampd depth) { glClearDepthf(static_cast<GLfloat>(depth)); }
void Gl11DepthFunc(GLenum function) { glDepthFunc(function); }
void Gl11BlendFunc(GLenum source, GLenum destination) { glBlendFunc(source, destination); }
void Gl11Scissor(GLint x, GLint y, GLsizei width, GLsizei height) { glScissor(x, y, width, height); }

// Every ES triangle is shaded smoothly; GL_FLAT is kept for the queries only.
void Gl11ShadeModel(GLenum mode) {
    if (mode == GL_SMOOTH || mode == GL_FLAT) layer.shadeModel = mode;
    else RecordError(GL_INVALID_ENUM);
}

// ES interpolates with perspective whatever the hint.
void Gl11Hint(GLenum target, GLenum mode) {
    if (target == GL_PERSPECTIVE_CORRECTION_HINT) layer.perspectiveHint = mode;
    else if (target != GL_GENERATE_MIPMAP_HINT) RecordError(GL_INVALID_ENUM);
}

// ES (and a browser's canvas) draws into one buffer: front and back alike.
void Gl11DrawBuffer(GLenum buffer) { layer.drawBuffer = buffer; }

void Gl11Flush() { glFlush(); }
void Gl11Finish() { glFinish(); }

// ---------------------------------------------------------------------------
// Current values
// ---------------------------------------------------------------------------

void Gl11Color4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    layer.colour[0] = red;
    layer.colour[1] = green;
    layer.colour[2] = blue;
    layer.colour[3] = alpha;
}
void Gl11Color4ub(GLubyte red, GLubyte green, GLubyte blue, GLubyte alpha) {
    Gl11Color4f(red / 255.0f, green / 255.0f, blue / 255.0f, alpha / 255.0f);
}
void Gl11Color3ub(GLubyte red, GLubyte green, GLubyte blue) { Gl11Color4ub(red, green, blue, 255); }
void Gl11TexCoord2f(GLfloat s, GLfloat t) {
    layer.texCoord[0] = s;
    layer.texCoord[1] = t;
}
void Gl11Normal3f(GLfloat x, GLfloat y, GLfloat z) {
    layer.normal[0] = x;
    layer.normal[1] = y;
    layer.normal[2] = z;
}

// ---------------------------------------------------------------------------
// Queries
// ---------------------------------------------------------------------------

GLenum Gl11GetError() {
    const GLenum error = layer.error;
    layer.error = GL_NO_ERROR;
    return error != GL_NO_ERROR ? error : glGetError();
}

const GLubyte* Gl11GetString(GLenum name) {
    static const char* const Extensions = "GL_EXT_framebuffer_object";
    static const char* const Version = "1.1 TALVOX layer over OpenGL ES 2.0";
    switch (name) {
    case GL_EXTENSIONS: return reinterpret_cast<const GLubyte*>(Extensions);
    case GL_VERSION: return reinterpret_cast<const GLubyte*>(Version);
    case GL_VENDOR:
    case GL_RENDERER: return glGetString(name);
    default: RecordError(GL_INVALID_ENUM); return nullptr;
    }
}

void Gl11GetFloatv(GLenum name, GLfloat* values) {
    double answer[16];
    QueryKind kind;
    const int count = AnswerQuery(name, answer, kind);
    if (count == 0) {
        glGetFloatv(name, values);
        return;
    }
    for (int i = 0; i < count; i++) values[i] = static_cast<GLfloat>(answer[i]);
}

void Gl11GetIntegerv(GLenum name, GLint* values) {
    double answer[16];
    QueryKind kind;
    const int count = AnswerQuery(name, answer, kind);
    if (count == 0) {
        glGetIntegerv(name, values);
        return;
    }
    for (int i = 0; i < count; i++) values[i] = ToInteger(answer[i], kind);
}

void Gl11GetBooleanv(GLenum name, GLboolean* values) {
    double answer[16];
    QueryKind kind;
    const int count = AnswerQuery(name, answer, kind);
    if (count == 0) {
        glGetBooleanv(name, values);
        return;
    }
    for (int i = 0; i < count; i++) values[i] = answer[i] != 0 ? GL_TRUE : GL_FALSE;
}

// ---------------------------------------------------------------------------
// Contexts
// ---------------------------------------------------------------------------

void Gl11ForgetContext() { layer = LayerState{}; }
