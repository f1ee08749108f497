// The allocation counter. Every operator new of the process lands here: the executable's
// definitions replace the library's for every shared library too. The calls of malloc, calloc and
// realloc are routed here by the linker (-Wl,--wrap, which particles_count_allocations adds to the
// link of its executable), and --wrap reaches only the statically linked code: the program's
// libraries and the test.
#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {
std::uint64_t News = 0;
std::uint64_t Mallocs = 0;
} // namespace

extern "C" {
void* __real_malloc(std::size_t size);
void* __real_calloc(std::size_t count, std::size_t size);
void* __real_realloc(void* p, std::size_t size);

void* __wrap_malloc(std::size_t size) {
    ++Mallocs;
    return __real_malloc(size);
}
void* __wrap_calloc(std::size_t count, std::size_t size) {
    ++Mallocs;
    return __real_calloc(count, size);
}
void* __wrap_realloc(void* p, std::size_t size) {
    ++Mallocs;
    return __real_realloc(p, size);
}
}

namespace {
void* Allocate(std::size_t size) {
    ++News;
    if (void* p = __real_malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
    ++News;
    const auto a = static_cast<std::size_t>(alignment);
    // aligned_alloc wants a multiple of the alignment.
    if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a + (size == 0 ? a : 0))) {
        return p;
    }
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return AllocateAligned(size, alignment);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}

alloctest::Counts alloctest::Now() {
    return {News, Mallocs};
}
