// Libraries loaded by their Windows names, on dlopen.
//
// Implements GetModuleHandleA, LoadLibraryA and GetProcAddress.
// Reproduces: "OpenGL32.dll" and "GLU32.dll" (any case, with or without the extension) stand for
// the system's OpenGL and GLU libraries, and the first exports the WGL calls by name as well;
// loading a library twice gives the same handle; GetModuleHandleA with a null name gives the
// program's own, stable instance.
// Leaves out: every other library, module names for GetModuleHandleA, FreeLibrary (libraries
// stay loaded for the life of the process: the driver keeps state that refers to them), and
// exports by ordinal. Free of SDL, so that the OpenGL binding can link it alone.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Layer.h"

namespace {

struct ModulesState {
    void* gl = nullptr;
    void* glu = nullptr;
};

ModulesState& Modules() {
    static ModulesState state;
    return state;
}

// The instance of the program itself: the classic load address of an executable.
const auto ProgramInstance = reinterpret_cast<HMODULE>(0x00400000);

bool IsNamed(const char* name, const char* base) {
    const std::string s = platform::Lower(name);
    return s == base || s == std::string(base) + ".dll";
}

} // namespace

namespace platform {
// Weak: resolved to the contexts' exports where they are linked in, null elsewhere.
__attribute__((weak)) FARPROC OpenGLExport(const char* name);
} // namespace platform

extern "C" {

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    return name ? nullptr : ProgramInstance;
}

HMODULE WINAPI LoadLibraryA(LPCSTR name) {
    if (!name) {
        return nullptr;
    }
    ModulesState& m = Modules();
    void** slot = nullptr;
    const char* system = nullptr;
    if (IsNamed(name, "opengl32")) {
        slot = &m.gl;
        system = "libGL.so.1";
    } else if (IsNamed(name, "glu32")) {
        slot = &m.glu;
        system = "libGLU.so.1";
    } else {
        std::fprintf(stderr, "Win32 layer: no library stands for %s\n", name);
        return nullptr;
    }
    if (!*slot) {
        *slot = ::dlopen(system, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!*slot) {
            const char* why = ::dlerror();
            std::fprintf(stderr, "Win32 layer: cannot load %s: %s\n", name,
                         why ? why : "unknown error");
            return nullptr;
        }
    }
    return static_cast<HMODULE>(*slot);
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    ModulesState& m = Modules();
    void* library = module;
    if (!name || !library || (library != m.gl && library != m.glu)) {
        return nullptr;
    }
    if (library == m.gl && platform::OpenGLExport && std::strncmp(name, "wgl", 3) == 0) {
        return platform::OpenGLExport(name);
    }
    return reinterpret_cast<FARPROC>(::dlsym(library, name));
}

} // extern "C"
