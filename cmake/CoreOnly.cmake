# PARTICLES_CORE_ONLY: the simulation core's tests (tests/core, tests/particles) and sim_state
# against the capture's pinned digests (tests/sim). GoogleTest comes from the system where CMake
# finds it, else it is built from Debian's googletest sources (/usr/src/googletest), as a
# cross-build needs.
find_package(GTest QUIET)
if(NOT GTest_FOUND AND EXISTS /usr/src/googletest/CMakeLists.txt)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    set(GTest_FOUND TRUE)
endif()
if(NOT GTest_FOUND)
    message(STATUS "Not built: the core's tests (no GoogleTest, nor its sources in /usr/src/googletest)")
    return()
endif()

include(GoogleTest)
enable_testing()
add_subdirectory(tests/support)
add_subdirectory(tests/core)
add_subdirectory(tests/particles)
add_subdirectory(tests/sim)
