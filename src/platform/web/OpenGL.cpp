// OpenGL 1.1, as the program calls it, on WebGL 2 with one shader pair.
//
// Implements the OpenGL entry points of OpenGL.h for the current WebGL 2 context.
// Reproduces: immediate-mode points with the current colour, collected between glBegin and
// glEnd into one buffer and drawn at glEnd with one draw call (the buffers only grow, so a warm
// frame allocates nothing); the modelview and projection matrices; texture objects, modulating
// the point's colour; blending, the depth test and the depth mask; glPushAttrib/glPopAttrib of
// the colour-buffer, enable, depth-buffer and point groups, 16 deep, with GL_STACK_OVERFLOW and
// GL_STACK_UNDERFLOW; points as ARB_point_parameters and ARB_point_sprite define them: the size
// times sqrt(1 / (a + b d + c d^2)) for the eye-space distance d, clamped to the size range and
// to the implementation's, rounded to a whole size (at least 1) unless the point is a sprite;
// the fade threshold takes effect with multisampling only, as the extension says, and the
// context is single-sampled; with GL_COORD_REPLACE_ARB a sprite's texture coordinates run across
// it from the upper left; GL_INVALID_ENUM, GL_INVALID_VALUE and GL_INVALID_OPERATION (calls
// between glBegin and glEnd other than colours and vertices) kept until glGetError reads them.
// Leaves out: every primitive but points (GL_INVALID_ENUM), texture coordinates other than the
// sprites' (a textured plain point samples (0, 0)), every texture environment but GL_MODULATE,
// glReadPixels formats other than GL_RGBA with GL_UNSIGNED_BYTE, and the errors WebGL itself
// would report (reading them costs a round trip to the GPU process every frame).
// A lost context (Lost) draws nothing; once the browser restores it (Restore), the module makes
// its shaders, buffer and textures again (GLTextures.cpp keeps their images and parameters) and
// puts back the state it emulates, the viewport with it, so that the program draws on unaware.
#include "platform/web/OpenGL.h"

#include <GLES3/gl3.h>

#include <cstring>
#include <vector>

#include "platform/web/GLState.h"

namespace webgl {
using namespace gl;
namespace {

void ApplyEnable(GLenum cap, bool on) {
    if (on) {
        ::glEnable(cap);
    } else {
        ::glDisable(cap);
    }
}

// Puts the WebGL state that mirrors `a` in place.
void Apply(const Attributes& a) {
    ApplyEnable(GL_BLEND, a.blend);
    ApplyEnable(GL_DEPTH_TEST, a.depthTest);
    ::glBlendFunc(a.blendSource, a.blendDestination);
    ::glClearColor(a.clearColor[0], a.clearColor[1], a.clearColor[2], a.clearColor[3]);
    ::glDepthMask(a.depthMask ? GL_TRUE : GL_FALSE);
    ::glClearDepthf(a.clearDepth);
}

bool* Capability(GLenum cap) {
    Attributes& a = S().a;
    switch (cap) {
    case GL_BLEND:
        return &a.blend;
    case GL_DEPTH_TEST:
        return &a.depthTest;
    case GL_TEXTURE_2D_CAP:
        return &a.texture2D;
    case GL_POINT_SPRITE_ARB:
        return &a.pointSprite;
    default:
        return nullptr;
    }
}

void SetCapability(GLenum cap, bool on) {
    if (!Outside()) {
        return;
    }
    bool* flag = Capability(cap);
    if (!flag) {
        Fail(GL_INVALID_ENUM);
        return;
    }
    *flag = on;
    if (cap == GL_BLEND || cap == GL_DEPTH_TEST) {
        ApplyEnable(cap, on);
    }
}

// Makes the module's WebGL objects in the current context and puts the state it emulates in
// place: at the start, and again in a restored context.
bool Build() {
    State& s = S();
    if (!BuildProgram()) {
        return false;
    }
    ::glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, s.implementationSizes);
    ::glUseProgram(s.program);
    ::glUniform1i(s.u.texture, 0);
    ::glGenVertexArrays(1, &s.vertexArray);
    ::glBindVertexArray(s.vertexArray);
    ::glGenBuffers(1, &s.buffer);
    ::glBindBuffer(GL_ARRAY_BUFFER, s.buffer);
    s.bufferCapacity = 0;
    ::glEnableVertexAttribArray(PositionSlot);
    ::glVertexAttribPointer(PositionSlot, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                            reinterpret_cast<const void*>(offsetof(Vertex, position)));
    ::glEnableVertexAttribArray(ColorSlot);
    ::glVertexAttribPointer(ColorSlot, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                            reinterpret_cast<const void*>(offsetof(Vertex, color)));
    // OpenGL's and WebGL's defaults agree but for the depth test's; state them all the same.
    ::glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    ::glPixelStorei(GL_PACK_ALIGNMENT, 4);
    Apply(s.a);
    if (s.viewportSet) {
        ::glViewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
    }
    RebuildTextures();
    return true;
}

} // namespace

bool Start() {
    State& s = S();
    Stop();
    s.points.reserve(4096);
    if (!Build()) {
        return false;
    }
    s.a.sizeMax = s.implementationSizes[1];
    s.started = true;
    return true;
}

void Lost() {
    S().lost = true;
}

bool Restore() {
    State& s = S();
    if (!s.started) {
        return false;
    }
    // Every object of the lost context has gone with it.
    s.program = 0;
    s.vertexArray = 0;
    s.buffer = 0;
    for (Texture& t : s.textures) {
        t.webgl = 0;
    }
    s.lost = false;
    return Build();
}

void Stop() {
    State& s = S();
    std::vector<Vertex> keep;
    keep.swap(s.points);
    s = State();
    keep.clear();
    s.points.swap(keep);
}

void ReadRgba(int width, int height, std::uint8_t* out) {
    ::glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, out);
}

unsigned glGetError() {
    if (!Outside()) {
        return GL_INVALID_OPERATION;
    }
    const GLenum e = S().error;
    S().error = GL_NO_ERROR;
    return e;
}

void glFlush() {
    if (Outside()) {
        ::glFlush();
    }
}

void glFinish() {
    if (Outside()) {
        ::glFinish();
    }
}

void glPushAttrib(unsigned mask) {
    State& s = S();
    if (!Outside()) {
        return;
    }
    if (s.depth == StackDepth) {
        Fail(GL_STACK_OVERFLOW);
        return;
    }
    s.stack[s.depth++] = {mask, s.a};
}

void glPopAttrib() {
    State& s = S();
    if (!Outside()) {
        return;
    }
    if (s.depth == 0) {
        Fail(GL_STACK_UNDERFLOW);
        return;
    }
    const Saved& saved = s.stack[--s.depth];
    const Attributes& v = saved.values;
    Attributes& a = s.a;
    if (saved.mask & GL_ENABLE_BIT) {
        a.blend = v.blend;
        a.depthTest = v.depthTest;
        a.texture2D = v.texture2D;
        a.pointSprite = v.pointSprite;
    }
    if (saved.mask & GL_COLOR_BUFFER_BIT) {
        a.blend = v.blend;
        a.blendSource = v.blendSource;
        a.blendDestination = v.blendDestination;
        std::memcpy(a.clearColor, v.clearColor, sizeof a.clearColor);
    }
    if (saved.mask & GL_DEPTH_BUFFER_BIT) {
        a.depthTest = v.depthTest;
        a.depthMask = v.depthMask;
        a.clearDepth = v.clearDepth;
    }
    if (saved.mask & GL_POINT_BIT) {
        a.pointSprite = v.pointSprite;
        a.pointSize = v.pointSize;
        a.sizeMin = v.sizeMin;
        a.sizeMax = v.sizeMax;
        a.fadeThreshold = v.fadeThreshold;
        std::memcpy(a.attenuation, v.attenuation, sizeof a.attenuation);
        a.coordReplace = v.coordReplace;
    }
    Apply(a);
}

void glEnable(unsigned cap) {
    SetCapability(cap, true);
}

void glDisable(unsigned cap) {
    SetCapability(cap, false);
}

void glDepthMask(unsigned char flag) {
    if (Outside()) {
        S().a.depthMask = flag != 0;
        ::glDepthMask(flag ? GL_TRUE : GL_FALSE);
    }
}

void glBlendFunc(unsigned sfactor, unsigned dfactor) {
    if (!Outside()) {
        return;
    }
    S().a.blendSource = sfactor;
    S().a.blendDestination = dfactor;
    ::glBlendFunc(sfactor, dfactor);
}

void glClearColor(float r, float g, float b, float a) {
    if (!Outside()) {
        return;
    }
    const auto clamp = [](float v) { return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v; };
    float* c = S().a.clearColor;
    c[0] = clamp(r);
    c[1] = clamp(g);
    c[2] = clamp(b);
    c[3] = clamp(a);
    ::glClearColor(c[0], c[1], c[2], c[3]);
}

void glClearDepth(double depth) {
    if (!Outside()) {
        return;
    }
    const float d = depth < 0.0 ? 0.0f : depth > 1.0 ? 1.0f : static_cast<float>(depth);
    S().a.clearDepth = d;
    ::glClearDepthf(d);
}

void glClear(unsigned mask) {
    if (!Outside()) {
        return;
    }
    if (mask &
        ~static_cast<unsigned>(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT)) {
        Fail(GL_INVALID_VALUE);
        return;
    }
    ::glClear(mask);
}

void glViewport(int x, int y, int width, int height) {
    if (!Outside()) {
        return;
    }
    if (width < 0 || height < 0) {
        Fail(GL_INVALID_VALUE);
        return;
    }
    State& s = S();
    s.viewport[0] = x;
    s.viewport[1] = y;
    s.viewport[2] = width;
    s.viewport[3] = height;
    s.viewportSet = true;
    ::glViewport(x, y, width, height);
}

void glReadPixels(int x, int y, int width, int height, unsigned format, unsigned type,
                  void* pixels) {
    if (!Outside()) {
        return;
    }
    if (width < 0 || height < 0) {
        Fail(GL_INVALID_VALUE);
        return;
    }
    if (format != GL_RGBA || type != GL_UNSIGNED_BYTE) {
        Fail(GL_INVALID_ENUM);
        return;
    }
    ::glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
}

const unsigned char* glGetString(unsigned name) {
    const char* text = nullptr;
    switch (name) {
    case GL_VENDOR:
        text = "particles";
        break;
    case GL_RENDERER:
        text = "OpenGL 1.1 on WebGL 2";
        break;
    case GL_VERSION:
        text = "1.1";
        break;
    case GL_EXTENSIONS:
        text = "GL_ARB_point_parameters GL_ARB_point_sprite";
        break;
    default:
        Fail(GL_INVALID_ENUM);
        return nullptr;
    }
    if (!Outside()) {
        return nullptr;
    }
    return reinterpret_cast<const unsigned char*>(text);
}

} // namespace webgl
