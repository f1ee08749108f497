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
// would report (reading them costs a round trip to the GPU process every frame). Texture names
// are WebGL's: only names from glGenTextures can be bound.
#include "platform/web/OpenGL.h"

#include <GLES3/gl3.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace webgl {
namespace {

// Enumerants of OpenGL 1.1 and its extensions that WebGL's header does not have.
constexpr GLenum GL_POINT_BIT = 0x00000002;
constexpr GLenum GL_ENABLE_BIT = 0x00002000;
constexpr GLenum GL_STACK_OVERFLOW = 0x0503;
constexpr GLenum GL_STACK_UNDERFLOW = 0x0504;
constexpr GLenum GL_MODELVIEW = 0x1700;
constexpr GLenum GL_PROJECTION = 0x1701;
constexpr GLenum GL_MODULATE = 0x2100;
constexpr GLenum GL_TEXTURE_ENV_MODE = 0x2200;
constexpr GLenum GL_TEXTURE_ENV = 0x2300;
constexpr GLenum GL_POINT_SIZE_MIN_ARB = 0x8126;
constexpr GLenum GL_POINT_SIZE_MAX_ARB = 0x8127;
constexpr GLenum GL_POINT_FADE_THRESHOLD_SIZE_ARB = 0x8128;
constexpr GLenum GL_POINT_DISTANCE_ATTENUATION_ARB = 0x8129;
constexpr GLenum GL_POINT_SPRITE_ARB = 0x8861;
constexpr GLenum GL_COORD_REPLACE_ARB = 0x8862;
constexpr GLenum GL_TEXTURE_2D_CAP = GL_TEXTURE_2D;

constexpr unsigned StackDepth = 16;
constexpr GLuint PositionSlot = 0;
constexpr GLuint ColorSlot = 1;

// The state glPushAttrib saves, by group.
struct Attributes {
    // GL_ENABLE_BIT (and, each with its own group, the two below and the point sprite)
    bool blend = false;
    bool depthTest = false;
    bool texture2D = false;
    bool pointSprite = false;
    // GL_COLOR_BUFFER_BIT
    GLenum blendSource = GL_ONE;
    GLenum blendDestination = GL_ZERO;
    float clearColor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    // GL_DEPTH_BUFFER_BIT
    bool depthMask = true;
    float clearDepth = 1.0f;
    // GL_POINT_BIT
    float pointSize = 1.0f;
    float sizeMin = 0.0f;
    float sizeMax = 1.0f; // the implementation's largest, set by Start
    float fadeThreshold = 1.0f;
    float attenuation[3] = {1.0f, 0.0f, 0.0f};
    bool coordReplace = false;
};

struct Saved {
    GLbitfield mask;
    Attributes values;
};

struct Vertex {
    float position[3];
    float color[4];
};

struct Matrix {
    float m[16];
};

constexpr Matrix Identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

struct Uniforms {
    GLint modelview, projection, size, sizeRange, attenuation, fade, sprite, textured, coordReplace,
        texture;
};

struct State {
    bool started = false;
    Attributes a;
    Saved stack[StackDepth];
    unsigned depth = 0;
    GLenum error = GL_NO_ERROR;
    GLenum matrixMode = GL_MODELVIEW;
    Matrix modelview = Identity;
    Matrix projection = Identity;
    float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    bool inBegin = false;
    bool pointsMode = false;
    std::vector<Vertex> points;
    std::size_t bufferCapacity = 0; // vertices the buffer object holds
    float implementationSizes[2] = {1.0f, 1.0f};
    GLuint program = 0;
    GLuint vertexArray = 0;
    GLuint buffer = 0;
    Uniforms u = {};
};

State& S() {
    static State state;
    return state;
}

void Fail(GLenum error) {
    if (S().error == GL_NO_ERROR) {
        S().error = error;
    }
}

// Most calls are refused between glBegin and glEnd.
bool Outside() {
    if (S().inBegin) {
        Fail(GL_INVALID_OPERATION);
        return false;
    }
    return true;
}

const char* const VertexShader = R"(#version 300 es
uniform mat4 modelview;
uniform mat4 projection;
uniform float size;
uniform vec2 sizeRange;
uniform vec3 attenuation;
uniform float fade;
uniform bool sprite;
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 color;
out vec4 pointColor;
void main() {
    vec4 eye = modelview * vec4(position, 1.0);
    gl_Position = projection * eye;
    float d = length(eye.xyz);
    float derived = clamp(size * sqrt(1.0 / (attenuation.x + attenuation.y * d +
                                             attenuation.z * d * d)),
                          sizeRange.x, sizeRange.y);
    pointColor = clamp(color, 0.0, 1.0);
    if (derived < fade) {
        pointColor.a *= (derived / fade) * (derived / fade);
        derived = fade;
    }
    gl_PointSize = sprite ? derived : max(1.0, floor(derived + 0.5));
}
)";

const char* const FragmentShader = R"(#version 300 es
precision highp float;
uniform bool textured;
uniform bool coordReplace;
uniform sampler2D image;
in vec4 pointColor;
out vec4 fragment;
void main() {
    vec4 c = pointColor;
    if (textured) {
        c *= texture(image, coordReplace ? gl_PointCoord : vec2(0.0));
    }
    fragment = c;
}
)";

GLuint Compile(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "OpenGL on WebGL: the shader does not compile: %s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

bool BuildProgram() {
    const GLuint vs = Compile(GL_VERTEX_SHADER, VertexShader);
    const GLuint fs = Compile(GL_FRAGMENT_SHADER, FragmentShader);
    if (!vs || !fs) {
        return false;
    }
    State& s = S();
    s.program = glCreateProgram();
    glAttachShader(s.program, vs);
    glAttachShader(s.program, fs);
    glLinkProgram(s.program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(s.program, GL_LINK_STATUS, &ok);
    if (!ok) {
        std::fprintf(stderr, "OpenGL on WebGL: the shaders do not link\n");
        return false;
    }
    const auto at = [&s](const char* name) { return glGetUniformLocation(s.program, name); };
    s.u = {at("modelview"), at("projection"), at("size"),     at("sizeRange"),    at("attenuation"),
           at("fade"),      at("sprite"),     at("textured"), at("coordReplace"), at("image")};
    return true;
}

void ApplyEnable(GLenum cap, bool on) {
    if (on) {
        glEnable(cap);
    } else {
        glDisable(cap);
    }
}

// Puts the WebGL state that mirrors `a` in place.
void Apply(const Attributes& a) {
    ApplyEnable(GL_BLEND, a.blend);
    ApplyEnable(GL_DEPTH_TEST, a.depthTest);
    glBlendFunc(a.blendSource, a.blendDestination);
    glClearColor(a.clearColor[0], a.clearColor[1], a.clearColor[2], a.clearColor[3]);
    glDepthMask(a.depthMask ? GL_TRUE : GL_FALSE);
    glClearDepthf(a.clearDepth);
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

Matrix& Current() {
    return S().matrixMode == GL_PROJECTION ? S().projection : S().modelview;
}

void Draw() {
    State& s = S();
    const std::size_t count = s.points.size();
    if (count == 0 || !s.started) {
        return;
    }
    if (count > s.bufferCapacity) {
        s.bufferCapacity = count > 2 * s.bufferCapacity ? count : 2 * s.bufferCapacity;
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(s.bufferCapacity * sizeof(Vertex)),
                     nullptr, GL_DYNAMIC_DRAW);
    }
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(count * sizeof(Vertex)),
                    s.points.data());
    const Attributes& a = s.a;
    glUniformMatrix4fv(s.u.modelview, 1, GL_FALSE, s.modelview.m);
    glUniformMatrix4fv(s.u.projection, 1, GL_FALSE, s.projection.m);
    glUniform1f(s.u.size, a.pointSize);
    const float low = a.sizeMin > s.implementationSizes[0] ? a.sizeMin : s.implementationSizes[0];
    const float high = a.sizeMax < s.implementationSizes[1] ? a.sizeMax : s.implementationSizes[1];
    glUniform2f(s.u.sizeRange, low, high > low ? high : low);
    glUniform3f(s.u.attenuation, a.attenuation[0], a.attenuation[1], a.attenuation[2]);
    glUniform1f(s.u.fade, 0.0f); // single-sampled: the threshold has no effect
    glUniform1i(s.u.sprite, a.pointSprite ? 1 : 0);
    glUniform1i(s.u.textured, a.texture2D ? 1 : 0);
    glUniform1i(s.u.coordReplace, a.pointSprite && a.coordReplace ? 1 : 0);
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(count));
}

} // namespace

bool Start() {
    State& s = S();
    Stop();
    s.points.reserve(4096);
    if (!BuildProgram()) {
        return false;
    }
    glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, s.implementationSizes);
    s.a.sizeMax = s.implementationSizes[1];
    glUseProgram(s.program);
    glUniform1i(s.u.texture, 0);
    glGenVertexArrays(1, &s.vertexArray);
    glBindVertexArray(s.vertexArray);
    glGenBuffers(1, &s.buffer);
    glBindBuffer(GL_ARRAY_BUFFER, s.buffer);
    glEnableVertexAttribArray(PositionSlot);
    glVertexAttribPointer(PositionSlot, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<const void*>(offsetof(Vertex, position)));
    glEnableVertexAttribArray(ColorSlot);
    glVertexAttribPointer(ColorSlot, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<const void*>(offsetof(Vertex, color)));
    // OpenGL's and WebGL's defaults agree but for the depth test's; state them all the same.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    Apply(s.a);
    s.started = true;
    return true;
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
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, out);
}

unsigned GetError() {
    if (!Outside()) {
        return GL_INVALID_OPERATION;
    }
    const GLenum e = S().error;
    S().error = GL_NO_ERROR;
    return e;
}

void Flush() {
    if (Outside()) {
        glFlush();
    }
}

void Finish() {
    if (Outside()) {
        glFinish();
    }
}

void PushAttrib(unsigned mask) {
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

void PopAttrib() {
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

void Enable(unsigned cap) {
    SetCapability(cap, true);
}

void Disable(unsigned cap) {
    SetCapability(cap, false);
}

void BindTexture(unsigned target, unsigned texture) {
    if (!Outside()) {
        return;
    }
    if (target != GL_TEXTURE_2D) {
        Fail(GL_INVALID_ENUM);
        return;
    }
    glBindTexture(GL_TEXTURE_2D, texture);
}

void DepthMask(unsigned char flag) {
    if (Outside()) {
        S().a.depthMask = flag != 0;
        glDepthMask(flag ? GL_TRUE : GL_FALSE);
    }
}

void BlendFunc(unsigned sfactor, unsigned dfactor) {
    if (!Outside()) {
        return;
    }
    S().a.blendSource = sfactor;
    S().a.blendDestination = dfactor;
    glBlendFunc(sfactor, dfactor);
}

void PointParameterfv(unsigned pname, const float* params) {
    if (!Outside()) {
        return;
    }
    Attributes& a = S().a;
    if (!params) {
        Fail(GL_INVALID_VALUE);
        return;
    }
    if (pname == GL_POINT_DISTANCE_ATTENUATION_ARB) {
        std::memcpy(a.attenuation, params, sizeof a.attenuation);
        return;
    }
    float* target = pname == GL_POINT_SIZE_MIN_ARB              ? &a.sizeMin
                    : pname == GL_POINT_SIZE_MAX_ARB            ? &a.sizeMax
                    : pname == GL_POINT_FADE_THRESHOLD_SIZE_ARB ? &a.fadeThreshold
                                                                : nullptr;
    if (!target) {
        Fail(GL_INVALID_ENUM);
    } else if (!(params[0] >= 0.0f)) {
        Fail(GL_INVALID_VALUE);
    } else {
        *target = params[0];
    }
}

void PointParameterf(unsigned pname, float param) {
    if (pname == GL_POINT_DISTANCE_ATTENUATION_ARB) {
        Fail(GL_INVALID_ENUM); // three values: only the vector call sets it
        return;
    }
    PointParameterfv(pname, &param);
}

void TexEnvf(unsigned target, unsigned pname, float param) {
    if (!Outside()) {
        return;
    }
    if (target == GL_POINT_SPRITE_ARB && pname == GL_COORD_REPLACE_ARB) {
        S().a.coordReplace = param != 0.0f;
    } else if (target == GL_TEXTURE_ENV && pname == GL_TEXTURE_ENV_MODE) {
        if (static_cast<GLenum>(param) != GL_MODULATE) {
            Fail(GL_INVALID_ENUM);
        }
    } else {
        Fail(GL_INVALID_ENUM);
    }
}

void TexEnvi(unsigned target, unsigned pname, int param) {
    TexEnvf(target, pname, static_cast<float>(param));
}

void PointSize(float size) {
    if (!Outside()) {
        return;
    }
    if (!(size > 0.0f)) {
        Fail(GL_INVALID_VALUE);
        return;
    }
    S().a.pointSize = size;
}

void Begin(unsigned mode) {
    State& s = S();
    if (!Outside()) {
        return;
    }
    if (mode > 9) { // past GL_POLYGON
        Fail(GL_INVALID_ENUM);
        return;
    }
    if (mode != GL_POINTS) {
        Fail(GL_INVALID_ENUM); // the one primitive drawn here
    }
    s.inBegin = true;
    s.pointsMode = mode == GL_POINTS;
    s.points.clear();
}

void End() {
    State& s = S();
    if (!s.inBegin) {
        Fail(GL_INVALID_OPERATION);
        return;
    }
    s.inBegin = false;
    if (s.pointsMode) {
        Draw();
    }
    s.points.clear();
}

void Color4f(float r, float g, float b, float a) {
    float* c = S().color;
    c[0] = r;
    c[1] = g;
    c[2] = b;
    c[3] = a;
}

void Color4fv(const float* v) {
    Color4f(v[0], v[1], v[2], v[3]);
}

void Vertex3f(float x, float y, float z) {
    State& s = S();
    // A vertex outside glBegin/glEnd has no effect.
    if (!s.inBegin || !s.pointsMode) {
        return;
    }
    Vertex v = {{x, y, z}, {s.color[0], s.color[1], s.color[2], s.color[3]}};
    s.points.push_back(v);
}

void Vertex3fv(const float* v) {
    Vertex3f(v[0], v[1], v[2]);
}

void MatrixMode(unsigned mode) {
    if (!Outside()) {
        return;
    }
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION) {
        Fail(GL_INVALID_ENUM);
        return;
    }
    S().matrixMode = mode;
}

void LoadIdentity() {
    if (Outside()) {
        Current() = Identity;
    }
}

void MultMatrix(const double* m) {
    if (!Outside()) {
        return;
    }
    Matrix& c = Current();
    double product[16];
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += static_cast<double>(c.m[k * 4 + row]) * m[column * 4 + k];
            }
            product[column * 4 + row] = sum;
        }
    }
    for (int i = 0; i < 16; ++i) {
        c.m[i] = static_cast<float>(product[i]);
    }
}

void Translate(double x, double y, double z) {
    const double t[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
    MultMatrix(t);
}

void ClearColor(float r, float g, float b, float a) {
    if (!Outside()) {
        return;
    }
    const auto clamp = [](float v) { return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v; };
    float* c = S().a.clearColor;
    c[0] = clamp(r);
    c[1] = clamp(g);
    c[2] = clamp(b);
    c[3] = clamp(a);
    glClearColor(c[0], c[1], c[2], c[3]);
}

void ClearDepth(double depth) {
    if (!Outside()) {
        return;
    }
    const float d = depth < 0.0 ? 0.0f : depth > 1.0 ? 1.0f : static_cast<float>(depth);
    S().a.clearDepth = d;
    glClearDepthf(d);
}

void Clear(unsigned mask) {
    if (!Outside()) {
        return;
    }
    if (mask &
        ~static_cast<unsigned>(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT)) {
        Fail(GL_INVALID_VALUE);
        return;
    }
    glClear(mask);
}

void Viewport(int x, int y, int width, int height) {
    if (!Outside()) {
        return;
    }
    if (width < 0 || height < 0) {
        Fail(GL_INVALID_VALUE);
        return;
    }
    glViewport(x, y, width, height);
}

void GenTextures(int n, unsigned* textures) {
    if (!Outside()) {
        return;
    }
    if (n < 0) {
        Fail(GL_INVALID_VALUE);
        return;
    }
    glGenTextures(n, textures);
}

void DeleteTextures(int n, const unsigned* textures) {
    if (!Outside()) {
        return;
    }
    if (n < 0) {
        Fail(GL_INVALID_VALUE);
        return;
    }
    glDeleteTextures(n, textures);
}

void TexParameteri(unsigned target, unsigned pname, int param) {
    if (!Outside()) {
        return;
    }
    const bool known = pname == GL_TEXTURE_MIN_FILTER || pname == GL_TEXTURE_MAG_FILTER ||
                       pname == GL_TEXTURE_WRAP_S || pname == GL_TEXTURE_WRAP_T;
    if (target != GL_TEXTURE_2D || !known) {
        Fail(GL_INVALID_ENUM);
        return;
    }
    glTexParameteri(GL_TEXTURE_2D, pname, param);
}

void ReadPixels(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels) {
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
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
}

const unsigned char* GetString(unsigned name) {
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

bool TexImageWithMipmaps(unsigned target, int width, int height, unsigned format,
                         const void* pixels) {
    if (!Outside()) {
        return false;
    }
    if (target != GL_TEXTURE_2D || (format != GL_RGB && format != GL_RGBA)) {
        return false;
    }
    glTexImage2D(GL_TEXTURE_2D, 0, format == GL_RGB ? GL_RGB8 : GL_RGBA8, width, height, 0, format,
                 GL_UNSIGNED_BYTE, pixels);
    glGenerateMipmap(GL_TEXTURE_2D);
    return true;
}

} // namespace webgl
