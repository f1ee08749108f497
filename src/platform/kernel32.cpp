// kernel32 on POSIX: the performance counter and tick count, modules over dlopen, read-only
// files, the last-error value and process exit.
#include "platform/Internal.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using platform::Api;
using platform::detail::Fails;

namespace {

struct Module {
    void* library;    // from dlopen; null for the program itself
    std::string name; // as asked for, for GetModuleHandleA
    bool exportsWgl;  // the module standing in for OpenGL32.dll
    int references;
};

struct File {
    int fd;
    bool readable; // opened with GENERIC_READ
};

struct Kernel32State {
    std::map<UINT_PTR, Module> modules; // by handle value
    UINT_PTR nextModule = 0x10000000;
    std::map<UINT_PTR, File> files; // by handle value
    UINT_PTR nextFile = 0x100;
};

Kernel32State& K() {
    static Kernel32State state;
    return state;
}

// Kept per thread, as on Windows; outside the state above for that reason.
thread_local DWORD LastError = ERROR_SUCCESS;

// The instance of the program itself: stable, non-null, never freed. The value is the classic
// load address of an executable.
const UINT_PTR ProgramModule = 0x00400000;

std::string Lower(const char* text) {
    std::string s(text);
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

// Module names ignore case, and a name without an extension means a .dll.
std::string ModuleName(const char* name) {
    std::string s = Lower(name);
    if (s.find('.') == std::string::npos) {
        s += ".dll";
    }
    return s;
}

// The system libraries that stand in for the Windows ones.
const char* SystemLibraryFor(const char* name, bool* exportsWgl) {
    const std::string s = ModuleName(name);
    *exportsWgl = false;
    if (s == "opengl32.dll") {
        *exportsWgl = true;
        return "libGL.so.1";
    }
    if (s == "glu32.dll") {
        return "libGLU.so.1";
    }
    return nullptr;
}

std::string WithSlashes(const char* name) {
    std::string path(name);
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return path;
}

// Windows file names ignore case. When the exact name does not exist, look for each component
// case-insensitively; the first match wins.
std::string FindIgnoringCase(const std::string& path) {
    std::string result = path.empty() || path[0] != '/' ? "" : "/";
    size_t start = result.size();
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty()) {
            continue;
        }
        const std::string dir = result.empty() ? "." : result;
        std::string found = part;
        struct stat st;
        if (::stat((result + part).c_str(), &st) != 0) {
            if (DIR* d = ::opendir(dir.c_str())) {
                const std::string wanted = Lower(part.c_str());
                while (dirent* entry = ::readdir(d)) {
                    if (Lower(entry->d_name) == wanted) {
                        found = entry->d_name;
                        break;
                    }
                }
                ::closedir(d);
            }
        }
        result += found;
        if (end < path.size()) {
            result += '/';
        }
    }
    return result;
}

DWORD ErrorFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_GEN_FAILURE;
    }
}

} // namespace

DWORD WINAPI GetLastError() {
    return LastError;
}

void WINAPI SetLastError(DWORD error) {
    LastError = error;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    if (!name) {
        return reinterpret_cast<HMODULE>(ProgramModule);
    }
    const std::string wanted = ModuleName(name);
    for (const auto& entry : K().modules) {
        if (ModuleName(entry.second.name.c_str()) == wanted) {
            return reinterpret_cast<HMODULE>(entry.first);
        }
    }
    LastError = ERROR_MOD_NOT_FOUND;
    return nullptr;
}

HMODULE WINAPI LoadLibraryA(LPCSTR name) {
    if (Fails(Api::LoadLibraryA)) {
        return nullptr;
    }
    if (!name || !*name) {
        LastError = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    bool exportsWgl = false;
    const char* system = SystemLibraryFor(name, &exportsWgl);
    const std::string path = system ? std::string(system) : WithSlashes(name);
    // Libraries stay mapped after their last FreeLibrary: the OpenGL libraries keep state that
    // the driver still refers to, and leak reports stay readable.
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!library) {
        const char* why = ::dlerror();
        std::fprintf(stderr, "kernel32: cannot load %s: %s\n", name, why ? why : "unknown error");
        LastError = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }
    // Loading a module that is already loaded hands out the same handle and counts a reference.
    for (auto& entry : K().modules) {
        if (entry.second.library == library) {
            ::dlclose(library); // dlopen counted one reference of its own
            ++entry.second.references;
            entry.second.exportsWgl = entry.second.exportsWgl || exportsWgl;
            return reinterpret_cast<HMODULE>(entry.first);
        }
    }
    const UINT_PTR handle = K().nextModule;
    K().nextModule += 0x10000;
    K().modules[handle] = Module{library, name, exportsWgl, 1};
    return reinterpret_cast<HMODULE>(handle);
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    const auto handle = reinterpret_cast<UINT_PTR>(module);
    // Ordinals (values below 0x10000) are not supported: nothing here is exported by number.
    if (!name || reinterpret_cast<UINT_PTR>(name) < 0x10000) {
        LastError = ERROR_PROC_NOT_FOUND;
        return nullptr;
    }
    void* library = nullptr;
    if (handle == ProgramModule) {
        library = RTLD_DEFAULT;
    } else {
        auto it = K().modules.find(handle);
        if (it == K().modules.end()) {
            LastError = ERROR_MOD_NOT_FOUND;
            return nullptr;
        }
        if (it->second.exportsWgl) {
            if (FARPROC wgl = platform::detail::OpenGLExport(name)) {
                return wgl;
            }
        }
        library = it->second.library;
    }
    void* symbol = ::dlsym(library, name);
    if (!symbol) {
        LastError = ERROR_PROC_NOT_FOUND;
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL WINAPI FreeLibrary(HMODULE module) {
    auto it = K().modules.find(reinterpret_cast<UINT_PTR>(module));
    if (it == K().modules.end()) {
        LastError = ERROR_MOD_NOT_FOUND;
        return FALSE;
    }
    if (--it->second.references == 0) {
        ::dlclose(it->second.library);
        K().modules.erase(it);
    }
    return TRUE;
}

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD /*share*/, LPVOID /*security*/,
                          DWORD creation, DWORD /*flags*/, HANDLE /*templateFile*/) {
    if (Fails(Api::CreateFileA)) {
        return INVALID_HANDLE_VALUE;
    }
    if (!name || !*name) {
        LastError = ERROR_PATH_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    // Reading existing files is all this layer offers.
    if (creation != OPEN_EXISTING || (access & ~static_cast<DWORD>(GENERIC_READ)) != 0) {
        std::fprintf(stderr,
                     "kernel32: CreateFileA(\"%s\"): only reading existing files is supported\n",
                     name);
        LastError = ERROR_NOT_SUPPORTED;
        return INVALID_HANDLE_VALUE;
    }
    std::string path = WithSlashes(name);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        path = FindIgnoringCase(path);
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        LastError = ErrorFromErrno(errno);
        return INVALID_HANDLE_VALUE;
    }
    // Windows refuses to open a directory as a file.
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        LastError = ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
    }
    const UINT_PTR handle = K().nextFile;
    K().nextFile += 4;
    K().files[handle] = File{fd, (access & GENERIC_READ) != 0};
    return reinterpret_cast<HANDLE>(handle);
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPVOID overlapped) {
    if (read) {
        *read = 0;
    }
    if (Fails(Api::ReadFile)) {
        return FALSE;
    }
    auto it = K().files.find(reinterpret_cast<UINT_PTR>(file));
    if (it == K().files.end()) {
        LastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    if (overlapped) {
        LastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    if (!it->second.readable) {
        LastError = ERROR_ACCESS_DENIED;
        return FALSE;
    }
    if (!buffer && toRead > 0) {
        LastError = ERROR_NOACCESS;
        return FALSE;
    }
    // A file read returns everything asked for unless the end of the file comes first.
    DWORD total = 0;
    while (total < toRead) {
        const ssize_t n = ::read(it->second.fd, static_cast<char*>(buffer) + total, toRead - total);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            LastError = ErrorFromErrno(errno);
            if (read) {
                *read = total;
            }
            return FALSE;
        }
        if (n == 0) {
            break;
        }
        total += static_cast<DWORD>(n);
    }
    if (read) {
        *read = total;
    }
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE object) {
    if (Fails(Api::CloseHandle)) {
        return FALSE;
    }
    auto it = K().files.find(reinterpret_cast<UINT_PTR>(object));
    if (it == K().files.end()) {
        LastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    ::close(it->second.fd);
    K().files.erase(it);
    return TRUE;
}

void WINAPI ExitProcess(UINT exitCode) {
    platform::detail::RestoreDisplayMode();
    std::fflush(nullptr);
    // Like ExitProcess, this does not run the program's own exit-time destructors.
    std::_Exit(static_cast<int>(exitCode));
}
