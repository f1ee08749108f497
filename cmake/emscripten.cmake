# The page's toolchain: Debian's emscripten (bash scripts/deps.sh web installs it). Its compiler
# runs on Node, which needs NODE_PATH=/usr/share/nodejs to find emscripten's helpers: the preset
# sets it for configuring and building.
set(particles_emscripten /usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
if(NOT EXISTS ${particles_emscripten})
    message(FATAL_ERROR "No emscripten at /usr/share/emscripten: bash scripts/deps.sh web installs it")
endif()
include(${particles_emscripten})
# C++17 throughout, as the compiler is not told otherwise.
set(CMAKE_CXX_FLAGS_INIT "${CMAKE_CXX_FLAGS_INIT} -std=c++17")
