// The libraries behind the module table (platform/Modules.cpp), in the page: OpenGL.cpp's and
// Glu.cpp's functions.
//
// Implements the module table's back-end: "OpenGL32.dll" exports the module's OpenGL 1.1
// functions, and the extensions' functions come through wglGetProcAddress (Contexts.cpp), as on
// Windows; "GLU32.dll" exports its GLU functions. Every export is checked against the OpenGL
// binding's type for its name, so that a call through the binding's table always matches the
// function's signature (WebAssembly traps on a mismatch).
// Leaves out: nothing the program loads.
#include <cstring>

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

// The libraries' handles are the addresses of their tables, stable and distinct.
template <std::size_t N> FARPROC Find(const Export (&table)[N], const char* name) {
    for (const Export& e : table) {
        if (std::strcmp(e.name, name) == 0) {
            return e.function;
        }
    }
    return nullptr;
}

} // namespace

namespace platform {
namespace host {

void* OpenLibrary(Library library) {
    return const_cast<Export*>(library == Library::OpenGL ? OpenGLExports : GluExports);
}

FARPROC LibraryExport(Library library, void* /*handle*/, const char* name) {
    return library == Library::OpenGL ? Find(OpenGLExports, name) : Find(GluExports, name);
}

} // namespace host
} // namespace platform
