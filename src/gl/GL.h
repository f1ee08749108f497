// The OpenGL binding: one table of function pointers, one entry per function in GLFunctions.h.
//
// Each entry starts out as a resolver that looks the function up by name on its first call, in
// the libraries named to InitBinding (then through wglGetProcAddress for extensions), stores the
// address in the table and calls through it. A function that cannot be found is replaced by a
// stub that does nothing and returns zero, after one line on stderr: a missing entry point is
// never called through. Tests put recording functions straight into `gl::Table`.
//
// The program calls the functions by their usual names (glBegin, gluLookAt, wglCreateContext):
// those are inline wrappers over the table.
#pragma once

#include <cstdint>

#include "platform/Win32.h"

using GLenum = unsigned int;
using GLboolean = unsigned char;
using GLbitfield = unsigned int;
using GLbyte = signed char;
using GLubyte = unsigned char;
using GLint = int;
using GLuint = unsigned int;
using GLsizei = int;
using GLfloat = float;
using GLclampf = float;
using GLdouble = double;
using GLclampd = double;
using GLvoid = void;

#include "gl/GLFunctions.h"

#if defined(_WIN32) && !defined(_WIN64)
#define GLAPIENTRY __stdcall
#else
#define GLAPIENTRY
#endif

namespace gl {

#define PARTICLES_GL_TYPEDEF(ret, name, params, args) using PFN_##name = ret(GLAPIENTRY*) params;
PARTICLES_GL_FUNCTIONS(PARTICLES_GL_TYPEDEF)
#undef PARTICLES_GL_TYPEDEF

struct FunctionTable {
#define PARTICLES_GL_MEMBER(ret, name, params, args) PFN_##name name;
    PARTICLES_GL_FUNCTIONS(PARTICLES_GL_MEMBER)
#undef PARTICLES_GL_MEMBER
};

extern FunctionTable Table;

// Names the libraries to resolve from ("OpenGL32.dll" and "GLU32.dll"; elsewhere the platform
// layer maps them to the system's libraries) and loads them. False if either cannot be loaded;
// FailedLibrary() then names it. GLU's functions are taken from the GLU library only.
bool InitBinding(const char* glLibrary, const char* gluLibrary);
const char* FailedLibrary();

// Puts every entry back to its resolver and forgets which entry points were reported missing.
// The libraries stay loaded.
void ResetTable();

// How many entry points have been found missing since the last ResetTable.
int MissingCount();

} // namespace gl

#define PARTICLES_GL_WRAPPER(ret, name, params, args)                                              \
    inline ret name params {                                                                       \
        return gl::Table.name args;                                                                \
    }
PARTICLES_GL_FUNCTIONS(PARTICLES_GL_WRAPPER)
#undef PARTICLES_GL_WRAPPER

// Enumerants the program uses.
constexpr GLboolean GL_FALSE = 0;
constexpr GLboolean GL_TRUE = 1;
constexpr GLenum GL_NO_ERROR = 0;
constexpr GLenum GL_POINTS = 0x0000;
constexpr GLenum GL_ONE = 1;
constexpr GLenum GL_SRC_ALPHA = 0x0302;
constexpr GLbitfield GL_DEPTH_BUFFER_BIT = 0x00000100;
constexpr GLbitfield GL_POINT_BIT = 0x00000002;
constexpr GLbitfield GL_COLOR_BUFFER_BIT = 0x00004000;
constexpr GLbitfield GL_ENABLE_BIT = 0x00002000;
constexpr GLenum GL_DEPTH_TEST = 0x0B71;
constexpr GLenum GL_BLEND = 0x0BE2;
constexpr GLenum GL_TEXTURE_2D = 0x0DE1;
constexpr GLenum GL_UNSIGNED_BYTE = 0x1401;
constexpr GLenum GL_MODELVIEW = 0x1700;
constexpr GLenum GL_PROJECTION = 0x1701;
constexpr GLenum GL_RGB = 0x1907;
constexpr GLenum GL_RGBA = 0x1908;
constexpr GLenum GL_VENDOR = 0x1F00;
constexpr GLenum GL_RENDERER = 0x1F01;
constexpr GLenum GL_VERSION = 0x1F02;
constexpr GLenum GL_MODULATE = 0x2100;
constexpr GLenum GL_TEXTURE_ENV_MODE = 0x2200;
constexpr GLenum GL_TEXTURE_ENV = 0x2300;
constexpr GLenum GL_LINEAR = 0x2601;
constexpr GLenum GL_TEXTURE_MAG_FILTER = 0x2800;
constexpr GLenum GL_TEXTURE_MIN_FILTER = 0x2801;
constexpr GLenum GL_POINT_FADE_THRESHOLD_SIZE_ARB = 0x8128;
constexpr GLenum GL_POINT_DISTANCE_ATTENUATION_ARB = 0x8129;
constexpr GLenum GL_POINT_SPRITE_ARB = 0x8861;
constexpr GLenum GL_COORD_REPLACE_ARB = 0x8862;
