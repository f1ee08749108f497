// Reading files by their Windows names, on POSIX descriptors.
//
// Implements CreateFileA, ReadFile and CloseHandle.
// Reproduces: a name with '\' separators names the same file as with '/'; only an existing file
// opens; ReadFile returns everything asked for unless the end of the file comes first, and
// reports the count read; a handle that is not open is refused.
// Leaves out: writing, creating, sharing modes, overlapped reads, names that differ in case, and
// error codes (GetLastError). Only regular files are read: a FIFO, device, socket or directory
// is refused at once, without blocking.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <string>

#include "platform/Core.h"

namespace {

struct FilesState {
    std::map<UINT_PTR, int> open; // descriptor by handle value
    UINT_PTR nextFile = 0x100;
};

FilesState& F() {
    static FilesState state;
    return state;
}

int DescriptorOf(HANDLE file) {
    auto it = F().open.find(reinterpret_cast<UINT_PTR>(file));
    return it == F().open.end() ? -1 : it->second;
}

} // namespace

extern "C" {

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD /*share*/, LPVOID /*security*/,
                          DWORD creation, DWORD /*flags*/, HANDLE /*templateFile*/) {
    if (!name || !*name || creation != OPEN_EXISTING ||
        (access & ~static_cast<DWORD>(GENERIC_READ)) != 0) {
        return INVALID_HANDLE_VALUE;
    }
    std::string path(name);
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    // Non-blocking, so that opening a FIFO does not wait for a writer; refused below anyway.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return INVALID_HANDLE_VALUE;
    }
    const UINT_PTR handle = F().nextFile;
    F().nextFile += 4;
    F().open[handle] = fd;
    return reinterpret_cast<HANDLE>(handle);
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPVOID overlapped) {
    if (read) {
        *read = 0;
    }
    const int fd = DescriptorOf(file);
    if (fd < 0 || overlapped || (!buffer && toRead > 0)) {
        return FALSE;
    }
    DWORD total = 0;
    while (total < toRead) {
        const ssize_t n = ::read(fd, static_cast<char*>(buffer) + total, toRead - total);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (read) {
                *read = total;
            }
            return n == 0 ? TRUE : FALSE;
        }
        total += static_cast<DWORD>(n);
    }
    if (read) {
        *read = total;
    }
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE object) {
    const int fd = DescriptorOf(object);
    if (fd < 0) {
        return FALSE;
    }
    ::close(fd);
    F().open.erase(reinterpret_cast<UINT_PTR>(object));
    return TRUE;
}

} // extern "C"
