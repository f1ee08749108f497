// Resolving the OpenGL, GLU and WGL entry points by name on their first call.
#include "gl/GL.h"

#include <cstdio>
#include <cstring>

namespace gl {
namespace {

HMODULE GLLibrary = nullptr;
HMODULE GLULibrary = nullptr;
const char* Failed = nullptr; // the library InitBinding could not load
int Missing = 0;

// What a missing entry point is replaced by: does nothing and returns zero.
template <typename F> struct Stub;
template <typename R, typename... A> struct Stub<R(GLAPIENTRY*)(A...)> {
    static R GLAPIENTRY Call(A...) { return R(); }
};

// Some drivers answer an unknown name with a small integer rather than null.
bool IsAddress(PROC p) {
    const auto value = reinterpret_cast<std::intptr_t>(p);
    return value != 0 && value != 1 && value != 2 && value != 3 && value != -1;
}

using AnyFunction = void (*)();

AnyFunction Lookup(const char* name) {
    // GLU's functions come from the GLU library only: a driver's lookup may hand out a stub for
    // any name that starts with "gl".
    if (std::strncmp(name, "glu", 3) == 0) {
        return GLULibrary ? reinterpret_cast<AnyFunction>(GetProcAddress(GLULibrary, name))
                          : nullptr;
    }
    if (GLLibrary) {
        if (FARPROC p = GetProcAddress(GLLibrary, name)) {
            return reinterpret_cast<AnyFunction>(p);
        }
    }
    // Extensions are only known to the driver, through its own lookup.
    if (std::strcmp(name, "wglGetProcAddress") != 0) {
        PROC q = Table.wglGetProcAddress(name);
        if (IsAddress(q)) {
            return reinterpret_cast<AnyFunction>(q);
        }
    }
    return nullptr;
}

template <typename F> F Resolve(const char* name) {
    if (AnyFunction p = Lookup(name)) {
        return reinterpret_cast<F>(p);
    }
    ++Missing;
    std::fprintf(stderr, "OpenGL binding: no entry point %s; calls to it do nothing\n", name);
    return &Stub<F>::Call;
}

#define PARTICLES_GL_RESOLVER(ret, name, params, args)                                             \
    ret GLAPIENTRY Resolve_##name params {                                                         \
        Table.name = Resolve<PFN_##name>(#name);                                                   \
        return Table.name args;                                                                    \
    }
PARTICLES_GL_FUNCTIONS(PARTICLES_GL_RESOLVER)
#undef PARTICLES_GL_RESOLVER

#define PARTICLES_GL_INITIAL(ret, name, params, args) &Resolve_##name,
constexpr FunctionTable Resolvers = {PARTICLES_GL_FUNCTIONS(PARTICLES_GL_INITIAL)};
#undef PARTICLES_GL_INITIAL

} // namespace

// A constant expression: the table is filled in when the program is loaded, before any code of
// it runs, so that a call from any static initialiser finds it ready.
FunctionTable Table = Resolvers;

bool InitBinding(const char* glLibrary, const char* gluLibrary) {
    GLLibrary = LoadLibraryA(glLibrary);
    GLULibrary = LoadLibraryA(gluLibrary);
    Failed = !GLLibrary ? glLibrary : !GLULibrary ? gluLibrary : nullptr;
    return !Failed;
}

const char* FailedLibrary() {
    return Failed;
}

void ResetTable() {
    Table = Resolvers;
    Missing = 0;
}

int MissingCount() {
    return Missing;
}

} // namespace gl
