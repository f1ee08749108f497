// Libraries loaded by their Windows names, for both hosts; the host loads them and finds their
// exports.
//
// Implements GetModuleHandleA, LoadLibraryA and GetProcAddress.
// Reproduces: "OpenGL32.dll" and "GLU32.dll" (any case, with or without the extension) stand for
// the host's OpenGL and GLU, and the first exports the WGL calls by name as well; loading a
// library twice gives the same handle; GetModuleHandleA with a null name gives the program's own,
// stable instance.
// Leaves out: every other library, module names for GetModuleHandleA, FreeLibrary (libraries
// stay loaded for the life of the process: a driver keeps state that refers to them), and
// exports by ordinal.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Core.h"

namespace {

using platform::host::Library;

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
    Library library = Library::OpenGL;
    if (IsNamed(name, "opengl32")) {
        slot = &m.gl;
    } else if (IsNamed(name, "glu32")) {
        slot = &m.glu;
        library = Library::Glu;
    } else {
        std::fprintf(stderr, "Win32 layer: no library stands for %s\n", name);
        return nullptr;
    }
    if (!*slot) {
        *slot = platform::host::OpenLibrary(library);
    }
    return static_cast<HMODULE>(*slot);
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    ModulesState& m = Modules();
    void* handle = module;
    if (!name || !handle || (handle != m.gl && handle != m.glu)) {
        return nullptr;
    }
    if (handle == m.gl) {
        return std::strncmp(name, "wgl", 3) == 0
                   ? platform::host::WglExport(name)
                   : platform::host::LibraryExport(Library::OpenGL, handle, name);
    }
    return platform::host::LibraryExport(Library::Glu, handle, name);
}

} // extern "C"
