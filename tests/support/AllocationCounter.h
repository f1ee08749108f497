// Counts the allocations of the executable that compiles tests/support/AllocationCounter.cpp in
// (CMake: particles_count_allocations): every operator new of the process, and every call of
// malloc, calloc and realloc from its statically linked code (the program's libraries and the
// test).
#pragma once

#include <cstdint>

namespace alloctest {

struct Counts {
    std::uint64_t news;
    std::uint64_t mallocs;
};

// The counts since the start of the process.
Counts Now();

} // namespace alloctest
