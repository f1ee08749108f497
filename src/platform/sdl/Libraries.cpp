// The libraries behind the module table (platform/Modules.cpp), on dlopen.
//
// Implements the module table's back-end: "OpenGL32.dll" is the system's libGL.so.1 and
// "GLU32.dll" its libGLU.so.1; their exports are the libraries' own symbols, and the WGL calls
// come from Contexts.cpp.
// Leaves out: unloading (RTLD_NODELETE: the driver keeps state that refers to the library). Free
// of SDL, so that the OpenGL binding can link it alone.
#include <dlfcn.h>

#include <cstdio>

#include "platform/Core.h"

namespace platform {

// Contexts.cpp: the WGL call named `name`, or null. Weak: where the contexts are not linked in
// (the simulation core alone), the module exports no WGL call.
__attribute__((weak)) FARPROC OpenGLExport(const char* name);

namespace host {

void* OpenLibrary(Library library) {
    const char* file = library == Library::OpenGL ? "libGL.so.1" : "libGLU.so.1";
    void* handle = ::dlopen(file, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle) {
        const char* why = ::dlerror();
        std::fprintf(stderr, "Win32 layer: cannot load %s: %s\n", file,
                     why ? why : "unknown error");
    }
    return handle;
}

FARPROC LibraryExport(Library /*library*/, void* handle, const char* name) {
    return reinterpret_cast<FARPROC>(::dlsym(handle, name));
}

FARPROC WglExport(const char* name) {
    return OpenGLExport ? OpenGLExport(name) : nullptr;
}

} // namespace host
} // namespace platform
