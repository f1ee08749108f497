// The libraries behind the module table (platform/Modules.cpp), in the page: OpenGL.cpp's and
// Glu.cpp's functions.
//
// Implements the module table's back-end: "OpenGL32.dll" exports the module's OpenGL 1.1
// functions and the WGL calls, and the extensions' functions (names ending in ARB or EXT) come
// through wglGetProcAddress (Contexts.cpp), as on Windows; "GLU32.dll" exports its GLU
// functions. The exports are the binding's own list (gl/GLFunctions.h), each the function of the
// same name in namespace webgl and checked against the binding's type for it, so that a call
// through the binding's table always matches the function's signature (WebAssembly traps on a
// mismatch).
// Leaves out: nothing the program loads.
#include <cstring>

#include "gl/GL.h"
#include "platform/web/Host.h"
#include "platform/web/OpenGL.h"

namespace {

using platform::host::Library;

struct Export {
    const char* name;
    FARPROC function;
};

#define PARTICLES_EXPORT(ret, name, params, args)                                                  \
    {#name, platform::AsFarProc(static_cast<gl::PFN_##name>(&webgl::name))},
const Export Exports[] = {PARTICLES_GL_FUNCTIONS(PARTICLES_EXPORT)};
#undef PARTICLES_EXPORT

// Who hands a function out: the OpenGL library, the GLU library, the OpenGL library as a WGL
// call, or wglGetProcAddress.
enum class Kind { OpenGL, Glu, Wgl, Extension };

bool StartsWith(const char* name, const char* prefix) {
    return std::strncmp(name, prefix, std::strlen(prefix)) == 0;
}

Kind KindOf(const char* name) {
    const std::size_t length = std::strlen(name);
    const char* suffix = length > 3 ? name + length - 3 : "";
    if (std::strcmp(suffix, "ARB") == 0 || std::strcmp(suffix, "EXT") == 0) {
        return Kind::Extension;
    }
    return StartsWith(name, "glu") ? Kind::Glu : StartsWith(name, "wgl") ? Kind::Wgl : Kind::OpenGL;
}

FARPROC Find(Kind kind, const char* name) {
    for (const Export& e : Exports) {
        if (std::strcmp(e.name, name) == 0) {
            return KindOf(e.name) == kind ? e.function : nullptr;
        }
    }
    return nullptr;
}

// The libraries' handles: distinct, stable addresses.
char OpenGLLibrary;
char GluLibrary;

} // namespace

FARPROC web::ExtensionExport(const char* name) {
    return Find(Kind::Extension, name);
}

namespace platform {
namespace host {

void* OpenLibrary(Library library) {
    return library == Library::OpenGL ? &OpenGLLibrary : &GluLibrary;
}

FARPROC LibraryExport(Library library, void* /*handle*/, const char* name) {
    return Find(library == Library::OpenGL ? Kind::OpenGL : Kind::Glu, name);
}

FARPROC WglExport(const char* name) {
    return Find(Kind::Wgl, name);
}

} // namespace host
} // namespace platform
