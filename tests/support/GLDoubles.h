// The OpenGL doubles of the tests and benchmarks, put straight into the binding's table: a
// do-nothing binding, and a recording binding that keeps every call in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "gl/GL.h"

namespace gltest {

// Every entry point does nothing and returns zero, so that nothing reaches a real library.
template <typename F> struct Nothing;
template <typename R, typename... A> struct Nothing<R(GLAPIENTRY*)(A...)> {
    static R GLAPIENTRY Call(A...) { return R(); }
};

inline void BindNothing() {
#define GLTEST_NOTHING(ret, name, params, args) gl::Table.name = &Nothing<gl::PFN_##name>::Call;
    PARTICLES_GL_FUNCTIONS(GLTEST_NOTHING)
#undef GLTEST_NOTHING
}

// One recorded call.
struct Call {
    explicit Call(std::string name) : Name(std::move(name)) {}

    std::string Name;
    std::vector<double> Args;      // the arguments that are numbers, in order
    const void* Address = nullptr; // the argument that is an address, if any
    // What lay at the address during the call: the floats of glColor4fv, glVertex3fv and
    // glPointParameterfvARB, the names of glGenTextures and glDeleteTextures, the image bytes of
    // gluBuild2DMipmaps.
    std::vector<double> Data;
};

inline std::vector<Call> Calls;
// The next name glGenTextures hands out.
inline GLuint NextTexture = 1;

namespace detail {

template <typename T> void Take(Call& c, T value) {
    if constexpr (std::is_pointer_v<T>) {
        c.Address = reinterpret_cast<const void*>(value);
    } else {
        c.Args.push_back(static_cast<double>(value));
    }
}

// Byte-wise: the particle records hand over misaligned floats.
template <typename T> void Copy(Call& c, std::size_t n) {
    const auto* bytes = static_cast<const unsigned char*>(c.Address);
    for (std::size_t i = 0; i < n; ++i) {
        T value;
        std::memcpy(&value, bytes + i * sizeof(T), sizeof(T));
        c.Data.push_back(static_cast<double>(value));
    }
}

inline void Capture(Call& c) {
    if (!c.Address) {
        return;
    }
    if (c.Name == "glColor4fv") {
        Copy<GLfloat>(c, 4);
    } else if (c.Name == "glVertex3fv" || c.Name == "glPointParameterfvARB") {
        Copy<GLfloat>(c, 3); // a vertex; the three coefficients of the distance attenuation
    } else if (c.Name == "glGenTextures") {
        // An output: the recorder fills it in, as a driver would.
        auto* names = static_cast<GLuint*>(const_cast<void*>(c.Address));
        const auto n = static_cast<std::size_t>(c.Args[0]);
        for (std::size_t i = 0; i < n; ++i) {
            names[i] = NextTexture++;
        }
        Copy<GLuint>(c, n);
    } else if (c.Name == "glDeleteTextures") {
        Copy<GLuint>(c, static_cast<std::size_t>(c.Args[0]));
    } else if (c.Name == "gluBuild2DMipmaps") {
        // Components × width × height unsigned bytes (the only type the program uploads).
        Copy<std::uint8_t>(c, static_cast<std::size_t>(c.Args[1] * c.Args[2] * c.Args[3]));
    }
}

template <typename... A> void Keep(const char* name, A... args) {
    Call c(name);
    (Take(c, args), ...);
    Capture(c);
    Calls.push_back(c);
}

template <typename F, const char* Name> struct Recorder;
template <typename R, typename... A, const char* Name> struct Recorder<R(GLAPIENTRY*)(A...), Name> {
    static R GLAPIENTRY Call(A... args) {
        Keep(Name, args...);
        return R();
    }
};

#define GLTEST_NAME(ret, name, params, args) inline constexpr char name[] = #name;
PARTICLES_GL_FUNCTIONS(GLTEST_NAME)
#undef GLTEST_NAME

} // namespace detail

// Every entry point records its call, then does nothing and returns zero (glGenTextures hands out
// names from NextTexture). Starts from no calls and names from 1.
inline void Record() {
    Calls.clear();
    NextTexture = 1;
#define GLTEST_RECORD(ret, name, params, args)                                                     \
    gl::Table.name = &detail::Recorder<gl::PFN_##name, detail::name>::Call;
    PARTICLES_GL_FUNCTIONS(GLTEST_RECORD)
#undef GLTEST_RECORD
}

// The recorded calls of one function, in order.
inline std::vector<Call> CallsOf(const std::string& name) {
    std::vector<Call> found;
    for (const Call& c : Calls) {
        if (c.Name == name) {
            found.push_back(c);
        }
    }
    return found;
}

// The fixed-function state that drawing the sprites depends on, as the recorded calls left it.
struct GLState {
    std::set<double> Enabled;
    double Source = GL_ONE;
    double Destination = 0; // GL_ZERO
    bool DepthWrites = true;
    double Texture = 0; // bound to GL_TEXTURE_2D
    double PointSize = 1;
    bool CoordReplace = false;
    std::vector<double> Color = {1, 1, 1, 1};

    bool On(GLenum capability) const { return Enabled.count(capability) > 0; }
    // Everything but the texture binding, which no attribute push saves.
    bool operator==(const GLState& o) const {
        return Enabled == o.Enabled && Source == o.Source && Destination == o.Destination &&
               DepthWrites == o.DepthWrites && PointSize == o.PointSize &&
               CoordReplace == o.CoordReplace && Color == o.Color;
    }
};

// One vertex given between glBegin and glEnd, with the state it was drawn in.
struct Vertex {
    std::vector<double> Position;
    const void* Address; // where glVertex3fv read it
    double Primitive;
    int Pushed; // attribute pushes in force
    GLState State;
};

// A texture object as the calls left it: its parameters, and the image given to it (the
// arguments of gluBuild2DMipmaps and its bytes).
struct Texture {
    std::map<double, double> Parameters;
    std::vector<double> Image;
    std::vector<double> Pixels;
};

// The recorded calls followed from `start`: what they drew, the texture objects they made and did
// not delete, and the state and attribute stack they left. A pop restores what the bits of its
// push cover: the enables (GL_ENABLE_BIT), the blend function (GL_COLOR_BUFFER_BIT), the depth
// mask (GL_DEPTH_BUFFER_BIT), the point size and the sprite's coordinate replacement
// (GL_POINT_BIT); the current colour is not saved.
struct Followed {
    std::vector<Vertex> Vertices;
    std::map<double, Texture> Textures; // by name
    bool DeletedUnknownTexture = false; // a name not made, or deleted twice
    double EnvMode = GL_MODULATE;       // the texture environment's mode
    GLState State;
    int Pushed = 0;
    bool PoppedTooOften = false;
};

inline Followed Follow(const std::vector<Call>& calls, const GLState& start = {}) {
    Followed f;
    f.State = start;
    std::vector<std::pair<GLbitfield, GLState>> stack;
    double primitive = -1;
    for (const Call& c : calls) {
        GLState& s = f.State;
        const auto arg = [&c](std::size_t i) { return i < c.Args.size() ? c.Args[i] : -1.0; };
        if (c.Name == "glPushAttrib") {
            stack.emplace_back(static_cast<GLbitfield>(arg(0)), s);
        } else if (c.Name == "glPopAttrib" && stack.empty()) {
            f.PoppedTooOften = true;
        } else if (c.Name == "glPopAttrib") {
            const auto [bits, saved] = stack.back();
            stack.pop_back();
            s.Enabled = bits & GL_ENABLE_BIT ? saved.Enabled : s.Enabled;
            s.Source = bits & GL_COLOR_BUFFER_BIT ? saved.Source : s.Source;
            s.Destination = bits & GL_COLOR_BUFFER_BIT ? saved.Destination : s.Destination;
            s.DepthWrites = bits & GL_DEPTH_BUFFER_BIT ? saved.DepthWrites : s.DepthWrites;
            s.PointSize = bits & GL_POINT_BIT ? saved.PointSize : s.PointSize;
            s.CoordReplace = bits & GL_POINT_BIT ? saved.CoordReplace : s.CoordReplace;
        } else if (c.Name == "glEnable") {
            s.Enabled.insert(arg(0));
        } else if (c.Name == "glDisable") {
            s.Enabled.erase(arg(0));
        } else if (c.Name == "glBlendFunc") {
            s.Source = arg(0);
            s.Destination = arg(1);
        } else if (c.Name == "glDepthMask") {
            s.DepthWrites = arg(0) != 0;
        } else if (c.Name == "glBindTexture" && arg(0) == GL_TEXTURE_2D) {
            s.Texture = arg(1);
        } else if (c.Name == "glGenTextures") {
            for (double name : c.Data) {
                f.Textures[name] = {};
            }
        } else if (c.Name == "glDeleteTextures") {
            for (double name : c.Data) {
                f.DeletedUnknownTexture |= f.Textures.erase(name) == 0;
            }
        } else if (c.Name == "glTexParameteri" && arg(0) == GL_TEXTURE_2D) {
            f.Textures[s.Texture].Parameters[arg(1)] = arg(2);
        } else if (c.Name == "gluBuild2DMipmaps" && arg(0) == GL_TEXTURE_2D) {
            f.Textures[s.Texture].Image = c.Args;
            f.Textures[s.Texture].Pixels = c.Data;
        } else if (c.Name == "glTexEnvi" && arg(0) == GL_TEXTURE_ENV &&
                   arg(1) == GL_TEXTURE_ENV_MODE) {
            f.EnvMode = arg(2);
        } else if (c.Name == "glPointSize") {
            s.PointSize = arg(0);
        } else if (c.Name == "glTexEnvf" && arg(0) == GL_POINT_SPRITE_ARB &&
                   arg(1) == GL_COORD_REPLACE_ARB) {
            s.CoordReplace = arg(2) != 0;
        } else if (c.Name == "glColor4f") {
            s.Color = c.Args;
        } else if (c.Name == "glColor4fv") {
            s.Color = c.Data;
        } else if (c.Name == "glBegin") {
            primitive = arg(0);
        } else if (c.Name == "glEnd") {
            primitive = -1;
        } else if (c.Name == "glVertex3fv" || c.Name == "glVertex3f") {
            f.Vertices.push_back({c.Name == "glVertex3f" ? c.Args : c.Data, c.Address, primitive,
                                  static_cast<int>(stack.size()), s});
        }
    }
    f.Pushed = static_cast<int>(stack.size());
    return f;
}

} // namespace gltest
