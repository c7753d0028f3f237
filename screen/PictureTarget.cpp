// The off-screen target through the framebuffer-object extension, whose few
// names and functions are declared here: the OpenGL 1.1 headers have none.
#include "screen/PictureTarget.h"

#include <cstring>

#include "screen/OpenGL.h"
#include "screen/Screen.h"

#if defined(_WIN32)
#define TALVOX_GL_CALL __stdcall
#else
#define TALVOX_GL_CALL
#endif

bool pictureTargetOpen = false;

namespace {

constexpr GLenum FramebufferEXT = 0x8D40;
constexpr GLenum RenderbufferEXT = 0x8D41;
constexpr GLenum ColourAttachmentEXT = 0x8CE0;
constexpr GLenum DepthAttachmentEXT = 0x8D00;
constexpr GLenum FramebufferCompleteEXT = 0x8CD5;
constexpr GLenum DepthComponent16 = 0x81A5;
constexpr GLenum DepthComponent24 = 0x81A6;
constexpr GLenum DepthComponent32 = 0x81A7;

struct FramebufferCalls {
    void(TALVOX_GL_CALL* genFramebuffers)(GLsizei, GLuint*);
    void(TALVOX_GL_CALL* deleteFramebuffers)(GLsizei, const GLuint*);
    void(TALVOX_GL_CALL* bindFramebuffer)(GLenum, GLuint);
    GLenum(TALVOX_GL_CALL* checkFramebufferStatus)(GLenum);
    void(TALVOX_GL_CALL* genRenderbuffers)(GLsizei, GLuint*);
    void(TALVOX_GL_CALL* deleteRenderbuffers)(GLsizei, const GLuint*);
    void(TALVOX_GL_CALL* bindRenderbuffer)(GLenum, GLuint);
    void(TALVOX_GL_CALL* renderbufferStorage)(GLenum, GLenum, GLsizei, GLsizei);
    void(TALVOX_GL_CALL* framebufferRenderbuffer)(GLenum, GLenum, GLenum, GLuint);
};
FramebufferCalls calls = {};
GLuint framebuffer = 0;
GLuint renderbuffers[2] = {0, 0};

// Whether the space-separated extension list holds name as a whole word.
bool HasExtension(const char* list, const char* name) {
    const size_t length = std::strlen(name);
    for (const char* at = list; (at = std::strstr(at, name)) != nullptr; at += length) {
        const bool starts = at == list || at[-1] == ' ';
        const bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends) return true;
    }
    return false;
}

template <typename Call>
bool Find(GlFunctionLookup lookup, const char* name, Call& call) {
    void* found = lookup(name);
    static_assert(sizeof call == sizeof found, "function pointers differ in size");
    std::memcpy(&call, &found, sizeof found);
    return found != nullptr;
}

bool FindCalls(GlFunctionLookup lookup) {
    return Find(lookup, "glGenFramebuffersEXT", calls.genFramebuffers) &&
           Find(lookup, "glDeleteFramebuffersEXT", calls.deleteFramebuffers) &&
           Find(lookup, "glBindFramebufferEXT", calls.bindFramebuffer) &&
           Find(lookup, "glCheckFramebufferStatusEXT", calls.checkFramebufferStatus) &&
           Find(lookup, "glGenRenderbuffersEXT", calls.genRenderbuffers) &&
           Find(lookup, "glDeleteRenderbuffersEXT", calls.deleteRenderbuffers) &&
           Find(lookup, "glBindRenderbufferEXT", calls.bindRenderbuffer) &&
           Find(lookup, "glRenderbufferStorageEXT", calls.renderbufferStorage) &&
           Find(lookup, "glFramebufferRenderbufferEXT", calls.framebufferRenderbuffer);
}

// The depth format of the window's precision; 0 for one we do not match.
GLenum MatchingDepthFormat() {
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    switch (depthBits) {
    case 16: return DepthComponent16;
    case 24: return DepthComponent24;
    case 32: return DepthComponent32;
    default: return 0;
    }
}

bool WindowHasEightBitColour() {
    GLint red = 0, green = 0, blue = 0;
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_GREEN_BITS, &green);
    glGetIntegerv(GL_BLUE_BITS, &blue);
    return red == 8 && green == 8 && blue == 8;
}

}  // namespace

bool OpenPictureTarget(GlFunctionLookup lookup) {
    ClosePictureTarget();
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!lookup || !extensions || !HasExtension(extensions, "GL_EXT_framebuffer_object")) return false;
    const GLenum depthFormat = MatchingDepthFormat();
    if (depthFormat == 0 || !WindowHasEightBitColour() || !FindCalls(lookup)) {
        calls = {};
        return false;
    }
    calls.genFramebuffers(1, &framebuffer);
    calls.genRenderbuffers(2, renderbuffers);
    calls.bindFramebuffer(FramebufferEXT, framebuffer);
    calls.bindRenderbuffer(RenderbufferEXT, renderbuffers[0]);
    calls.renderbufferStorage(RenderbufferEXT, GL_RGBA8, ScreenWidth, ScreenHeight);
    calls.framebufferRenderbuffer(FramebufferEXT, ColourAttachmentEXT, RenderbufferEXT, renderbuffers[0]);
    calls.bindRenderbuffer(RenderbufferEXT, renderbuffers[1]);
    calls.renderbufferStorage(RenderbufferEXT, depthFormat, ScreenWidth, ScreenHeight);
    calls.framebufferRenderbuffer(FramebufferEXT, DepthAttachmentEXT, RenderbufferEXT, renderbuffers[1]);
    calls.bindRenderbuffer(RenderbufferEXT, 0);
    const bool complete = calls.checkFramebufferStatus(FramebufferEXT) == FramebufferCompleteEXT;
    calls.bindFramebuffer(FramebufferEXT, 0);
    pictureTargetOpen = true;
    if (!complete) ClosePictureTarget();
    // A format the GL refused leaves its error behind; it is this attempt's,
    // and a later call's check must not take it for its own.
    for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; i++) {
    }
    return complete;
}

void ClosePictureTarget() {
    if (pictureTargetOpen) {
        calls.bindFramebuffer(FramebufferEXT, 0);
        calls.deleteFramebuffers(1, &framebuffer);
        calls.deleteRenderbuffers(2, renderbuffers);
    }
    pictureTargetOpen = false;
    framebuffer = 0;
    renderbuffers[0] = renderbuffers[1] = 0;
    calls = {};
}

void BindPictureTarget() {
    if (pictureTargetOpen) calls.bindFramebuffer(FramebufferEXT, framebuffer);
}

void ReleasePictureTarget() {
    if (pictureTargetOpen) calls.bindFramebuffer(FramebufferEXT, 0);
}
