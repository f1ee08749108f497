# The page: the demo's executable linked for the browser, its sprites packaged beside it, and the
# page that runs it. Included by src/CMakeLists.txt after the shell.
#
# build/web/ then holds what a static web server needs: index.html, particles.js, particles.wasm,
# particles-data.js and particles.data. variants/missing-sprite/ holds a data package without
# DATA/Textures/particle.bmp, for the tests.

target_link_options(particles PRIVATE
    # SwapBuffers and MessageBoxA wait for the browser; the calls that lead to them are direct,
    # so indirect calls need no instrumenting.
    -sASYNCIFY -sASYNCIFY_IGNORE_INDIRECT=1 -sASYNCIFY_STACK_SIZE=16384
    # The page starts main itself, to learn what it returns.
    -sINVOKE_RUN=0 -sEXPORTED_RUNTIME_METHODS=ccall
    -sENVIRONMENT=web -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
    # The sprites come as a separate data package (below), read through the file system.
    -sFORCE_FILESYSTEM=1
    -sINITIAL_MEMORY=16777216)

find_program(PARTICLES_PYTHON3 python3 REQUIRED)
set(packager ${EMSCRIPTEN_ROOT_PATH}/tools/file_packager.py)
set(sprites ${PROJECT_SOURCE_DIR}/DATA/Textures/particle.bmp
            ${PROJECT_SOURCE_DIR}/DATA/Textures/particle1.bmp)
set(variant ${CMAKE_BINARY_DIR}/variants/missing-sprite)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/particles.data ${CMAKE_BINARY_DIR}/particles-data.js
    COMMAND ${PARTICLES_PYTHON3} ${packager} particles.data
            --preload ${PROJECT_SOURCE_DIR}/DATA@/DATA --js-output=particles-data.js --no-node
    DEPENDS ${sprites}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Packaging DATA/ for the page"
    VERBATIM)
file(MAKE_DIRECTORY ${variant})
add_custom_command(
    OUTPUT ${variant}/particles.data ${variant}/particles-data.js
    COMMAND ${PARTICLES_PYTHON3} ${packager} particles.data
            --preload ${PROJECT_SOURCE_DIR}/DATA@/DATA --exclude */particle.bmp
            --js-output=particles-data.js --no-node
    DEPENDS ${sprites}
    WORKING_DIRECTORY ${variant}
    COMMENT "Packaging DATA/ without particle.bmp, for the tests"
    VERBATIM)
configure_file(${CMAKE_CURRENT_LIST_DIR}/index.html ${CMAKE_BINARY_DIR}/index.html COPYONLY)
add_custom_target(particles_page ALL
    DEPENDS ${CMAKE_BINARY_DIR}/particles.data ${variant}/particles.data)
add_dependencies(particles_page particles)

# The OpenGL module's own checks, for the page's tests.
add_subdirectory(${PROJECT_SOURCE_DIR}/tests/web ${CMAKE_BINARY_DIR}/tests/web)
