// The points of OpenGL.cpp: the shader pair that sizes, fades and textures them, the point
// parameters and the sprites' texture environment, and glBegin/glEnd collecting the vertices
// with the current colour into one buffer drawn with one call.
#include <cstdio>
#include <cstring>

#include "platform/web/GLState.h"
#include "platform/web/OpenGL.h"

namespace webgl {
using namespace gl;
namespace {

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
    const GLuint shader = ::glCreateShader(type);
    ::glShaderSource(shader, 1, &source, nullptr);
    ::glCompileShader(shader);
    GLint ok = GL_FALSE;
    ::glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = {};
        ::glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "OpenGL on WebGL: the shader does not compile: %s\n", log);
        ::glDeleteShader(shader);
        return 0;
    }
    return shader;
}

void Draw() {
    State& s = S();
    const std::size_t count = s.points.size();
    if (count == 0 || !s.started || s.lost) {
        return;
    }
    if (count > s.bufferCapacity) {
        s.bufferCapacity = count > 2 * s.bufferCapacity ? count : 2 * s.bufferCapacity;
        ::glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(s.bufferCapacity * sizeof(Vertex)),
                       nullptr, GL_DYNAMIC_DRAW);
    }
    ::glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(count * sizeof(Vertex)),
                      s.points.data());
    const Attributes& a = s.a;
    ::glUniformMatrix4fv(s.u.modelview, 1, GL_FALSE, s.modelview.m);
    ::glUniformMatrix4fv(s.u.projection, 1, GL_FALSE, s.projection.m);
    ::glUniform1f(s.u.size, a.pointSize);
    const float low = a.sizeMin > s.implementationSizes[0] ? a.sizeMin : s.implementationSizes[0];
    const float high = a.sizeMax < s.implementationSizes[1] ? a.sizeMax : s.implementationSizes[1];
    ::glUniform2f(s.u.sizeRange, low, high > low ? high : low);
    ::glUniform3f(s.u.attenuation, a.attenuation[0], a.attenuation[1], a.attenuation[2]);
    ::glUniform1f(s.u.fade, 0.0f); // single-sampled: the threshold has no effect
    ::glUniform1i(s.u.sprite, a.pointSprite ? 1 : 0);
    ::glUniform1i(s.u.textured, a.texture2D ? 1 : 0);
    ::glUniform1i(s.u.coordReplace, a.pointSprite && a.coordReplace ? 1 : 0);
    ::glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(count));
}

} // namespace

bool gl::BuildProgram() {
    const GLuint vs = Compile(GL_VERTEX_SHADER, VertexShader);
    const GLuint fs = Compile(GL_FRAGMENT_SHADER, FragmentShader);
    if (!vs || !fs) {
        return false;
    }
    State& s = S();
    s.program = ::glCreateProgram();
    ::glAttachShader(s.program, vs);
    ::glAttachShader(s.program, fs);
    ::glLinkProgram(s.program);
    ::glDeleteShader(vs);
    ::glDeleteShader(fs);
    GLint ok = GL_FALSE;
    ::glGetProgramiv(s.program, GL_LINK_STATUS, &ok);
    if (!ok) {
        std::fprintf(stderr, "OpenGL on WebGL: the shaders do not link\n");
        return false;
    }
    const auto at = [&s](const char* name) { return ::glGetUniformLocation(s.program, name); };
    s.u = {at("modelview"), at("projection"), at("size"),     at("sizeRange"),    at("attenuation"),
           at("fade"),      at("sprite"),     at("textured"), at("coordReplace"), at("image")};
    return true;
}

void glPointParameterfvARB(unsigned pname, const float* params) {
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

void glPointParameterfARB(unsigned pname, float param) {
    if (pname == GL_POINT_DISTANCE_ATTENUATION_ARB) {
        Fail(GL_INVALID_ENUM); // three values: only the vector call sets it
        return;
    }
    glPointParameterfvARB(pname, &param);
}

void glTexEnvf(unsigned target, unsigned pname, float param) {
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

void glTexEnvi(unsigned target, unsigned pname, int param) {
    glTexEnvf(target, pname, static_cast<float>(param));
}

void glPointSize(float size) {
    if (!Outside()) {
        return;
    }
    if (!(size > 0.0f)) {
        Fail(GL_INVALID_VALUE);
        return;
    }
    S().a.pointSize = size;
}

void glBegin(unsigned mode) {
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

void glEnd() {
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

void glColor4f(float r, float g, float b, float a) {
    float* c = S().color;
    c[0] = r;
    c[1] = g;
    c[2] = b;
    c[3] = a;
}

void glColor4fv(const float* v) {
    glColor4f(v[0], v[1], v[2], v[3]);
}

void glVertex3f(float x, float y, float z) {
    State& s = S();
    // A vertex outside glBegin/glEnd has no effect.
    if (!s.inBegin || !s.pointsMode) {
        return;
    }
    Vertex v = {{x, y, z}, {s.color[0], s.color[1], s.color[2], s.color[3]}};
    s.points.push_back(v);
}

void glVertex3fv(const float* v) {
    glVertex3f(v[0], v[1], v[2]);
}

} // namespace webgl
