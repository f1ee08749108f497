// Libraries loaded by their Windows names, in the page: the module of OpenGL.cpp and Glu.cpp.
//
// Implements GetModuleHandleA, LoadLibraryA and GetProcAddress.
// Reproduces: "OpenGL32.dll" and "GLU32.dll" (any case, with or without the extension) stand for
// the module's OpenGL 1.1 and GLU functions; the first exports the WGL calls by name as well, and
// the extensions' functions come through wglGetProcAddress, as on Windows; loading a library
// twice gives the same handle; GetModuleHandleA with a null name gives the program's own, stable
// instance. Every export is checked against the OpenGL binding's type for its name, so that a
// call through the binding's table always matches the function's signature (WebAssembly traps on
// a mismatch).
// Leaves out: every other library, module names for GetModuleHandleA, FreeLibrary, and exports
// by ordinal.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "gl/GL.h"
#include "platform/web/Host.h"
#include "platform/web/OpenGL.h"

namespace {

struct Export {
    const char* name;
    FARPROC function;
};

#define PARTICLES_EXPORT(name, function)                                                           \
    { #name, reinterpret_cast < FARPROC>(static_cast <gl::PFN_##name>(function)) }

const Export OpenGLExports[] = {
    PARTICLES_EXPORT(glGetError, webgl::GetError),
    PARTICLES_EXPORT(glFlush, webgl::Flush),
    PARTICLES_EXPORT(glFinish, webgl::Finish),
    PARTICLES_EXPORT(glPushAttrib, webgl::PushAttrib),
    PARTICLES_EXPORT(glPopAttrib, webgl::PopAttrib),
    PARTICLES_EXPORT(glEnable, webgl::Enable),
    PARTICLES_EXPORT(glDisable, webgl::Disable),
    PARTICLES_EXPORT(glBindTexture, webgl::BindTexture),
    PARTICLES_EXPORT(glDepthMask, webgl::DepthMask),
    PARTICLES_EXPORT(glBlendFunc, webgl::BlendFunc),
    PARTICLES_EXPORT(glTexEnvf, webgl::TexEnvf),
    PARTICLES_EXPORT(glTexEnvi, webgl::TexEnvi),
    PARTICLES_EXPORT(glPointSize, webgl::PointSize),
    PARTICLES_EXPORT(glBegin, webgl::Begin),
    PARTICLES_EXPORT(glEnd, webgl::End),
    PARTICLES_EXPORT(glColor4f, webgl::Color4f),
    PARTICLES_EXPORT(glColor4fv, webgl::Color4fv),
    PARTICLES_EXPORT(glVertex3f, webgl::Vertex3f),
    PARTICLES_EXPORT(glVertex3fv, webgl::Vertex3fv),
    PARTICLES_EXPORT(glMatrixMode, webgl::MatrixMode),
    PARTICLES_EXPORT(glLoadIdentity, webgl::LoadIdentity),
    PARTICLES_EXPORT(glClearColor, webgl::ClearColor),
    PARTICLES_EXPORT(glClearDepth, webgl::ClearDepth),
    PARTICLES_EXPORT(glClear, webgl::Clear),
    PARTICLES_EXPORT(glViewport, webgl::Viewport),
    PARTICLES_EXPORT(glGenTextures, webgl::GenTextures),
    PARTICLES_EXPORT(glDeleteTextures, webgl::DeleteTextures),
    PARTICLES_EXPORT(glTexParameteri, webgl::TexParameteri),
    PARTICLES_EXPORT(glReadPixels, webgl::ReadPixels),
    PARTICLES_EXPORT(glGetString, webgl::GetString),
};

const Export GluExports[] = {
    PARTICLES_EXPORT(gluPerspective, webgl::Perspective),
    PARTICLES_EXPORT(gluLookAt, webgl::LookAt),
    PARTICLES_EXPORT(gluBuild2DMipmaps, webgl::Build2DMipmaps),
};

#undef PARTICLES_EXPORT

// The modules' handles: addresses of their tables, stable and distinct.
HMODULE OpenGLModule() {
    return reinterpret_cast<HMODULE>(const_cast<Export*>(OpenGLExports));
}

HMODULE GluModule() {
    return reinterpret_cast<HMODULE>(const_cast<Export*>(GluExports));
}

// The instance of the program itself: the classic load address of an executable.
const auto ProgramInstance = reinterpret_cast<HMODULE>(0x00400000);

bool IsNamed(const char* name, const char* base) {
    std::string s(name);
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s == base || s == std::string(base) + ".dll";
}

template <std::size_t N> FARPROC Find(const Export (&table)[N], const char* name) {
    for (const Export& e : table) {
        if (std::strcmp(e.name, name) == 0) {
            return e.function;
        }
    }
    return nullptr;
}

} // namespace

extern "C" {

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    return name ? nullptr : ProgramInstance;
}

HMODULE WINAPI LoadLibraryA(LPCSTR name) {
    if (!name) {
        return nullptr;
    }
    if (IsNamed(name, "opengl32")) {
        return OpenGLModule();
    }
    if (IsNamed(name, "glu32")) {
        return GluModule();
    }
    std::fprintf(stderr, "Win32 layer: no library stands for %s\n", name);
    return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    if (!name) {
        return nullptr;
    }
    if (module == OpenGLModule()) {
        if (std::strncmp(name, "wgl", 3) == 0) {
            return web::WglExport(name);
        }
        return Find(OpenGLExports, name);
    }
    if (module == GluModule()) {
        return Find(GluExports, name);
    }
    return nullptr;
}

} // extern "C"
