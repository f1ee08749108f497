// The state the OpenGL-on-WebGL module's files share (OpenGL.cpp, GLPoints.cpp, GLMatrices.cpp,
// GLTextures.cpp),
// the error they record and the check most calls begin with; not part of the module's interface.
#pragma once

#include <GLES3/gl3.h>

#include <cstddef>
#include <vector>

namespace webgl::gl {

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

// A texture as the program made it: what a new context needs to make it again.
struct Texture {
    GLuint name = 0;   // the program's name
    GLuint webgl = 0;  // WebGL's name in the present context; 0 while there is none
    GLenum format = 0; // GL_RGB or GL_RGBA once an image is loaded
    GLsizei width = 0;
    GLsizei height = 0;
    std::vector<unsigned char> pixels; // level 0 as uploaded, rows packed to 4 bytes
    GLint parameters[4] = {GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT};
};

// The texture parameters kept, in Texture::parameters' order.
constexpr GLenum TextureParameters[4] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER,
                                         GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T};

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
    // Textures by the program's names, which outlive a lost context; the bound one's name.
    std::vector<Texture> textures;
    GLuint nextTexture = 1;
    GLuint bound = 0;
    GLint viewport[4] = {0, 0, 0, 0};
    bool viewportSet = false;
    // The context is lost: nothing is drawn until it is restored and rebuilt.
    bool lost = false;
};

inline State& S() {
    static State state;
    return state;
}

inline void Fail(GLenum error) {
    if (S().error == GL_NO_ERROR) {
        S().error = error;
    }
}

// Most calls are refused between glBegin and glEnd.
inline bool Outside() {
    if (S().inBegin) {
        Fail(GL_INVALID_OPERATION);
        return false;
    }
    return true;
}

// GLPoints.cpp: compiles and links the shader pair and finds its uniforms; false on failure.
bool BuildProgram();

// GLTextures.cpp: makes every kept texture again in a new context, with its image, its mipmaps
// and its parameters, and binds the bound one.
void RebuildTextures();

} // namespace webgl::gl
