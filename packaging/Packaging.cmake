# Installing and packaging. Windows: the executable with DATA/ beside it, in a zip. Elsewhere the
# usual layout: the executable and its display guard in lib/particles/, the sprites in
# share/particles/DATA/, and a `particles` command in bin/ that starts the program in
# share/particles/, with a desktop entry, icons, the software centres' metainfo, a manual page,
# and the copyright and changelog; packed as a Debian package. tests/e2e/check-ecosystems.sh holds
# all of it to the ecosystems' own validators.
set(CPACK_PACKAGE_NAME particles)
set(CPACK_PACKAGE_VENDOR particles)
set(PARTICLES_MAINTAINER "particles developers <maintainers@particles.example.org>")
set(PARTICLES_HOMEPAGE "https://particles.example.org/")
set(PARTICLES_COPYRIGHT "Copyright 2026 particles developers")
set(CPACK_PACKAGE_CONTACT "${PARTICLES_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time OpenGL demo of a flame and a spray of point sprites")
set(CPACK_PACKAGE_DESCRIPTION "\
A small real-time OpenGL demonstration: a flame and a spray of textured,
additively blended point sprites before a perspective camera, driven by a busy
frame loop with a fixed-tick clock.

The program switches the display to 1024x768 when it can, otherwise it opens a
window; a small guard process puts the desktop's mode back however the program
ends. Escape ends it.")

if(WIN32)
    # The executable carries the Linux package's icon, its version information and its manifest
    # (windres); the zip holds it stripped of its debug sections, and a short text on running it.
    enable_language(RC)
    configure_file(packaging/particles.manifest.in particles.manifest @ONLY)
    configure_file(src/main/particles.rc.in particles.rc @ONLY)
    target_sources(particles PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/particles.rc)
    set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/particles.rc PROPERTIES OBJECT_DEPENDS
        "${CMAKE_CURRENT_BINARY_DIR}/particles.manifest;${PROJECT_SOURCE_DIR}/packaging/particles.ico")
    configure_file(packaging/README-windows.txt README.txt @ONLY NEWLINE_STYLE CRLF)
    install(TARGETS particles RUNTIME DESTINATION .)
    install(DIRECTORY DATA DESTINATION .)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)
    set(CPACK_STRIP_FILES ON)
    set(CPACK_GENERATOR ZIP)
    include(CPack)
    return()
elseif(EMSCRIPTEN)
    # The page is its build folder (build/web): those files go on a web server as they are.
    install(TARGETS particles RUNTIME DESTINATION .)
    include(CPack)
    return()
endif()

install(TARGETS particles display-guard RUNTIME DESTINATION lib/particles)
install(DIRECTORY DATA DESTINATION share/particles)
install(PROGRAMS packaging/particles.sh DESTINATION bin RENAME particles)
install(FILES packaging/org.example.particles.desktop DESTINATION share/applications)
# The icons, with a transparent background, are made from the capture (tools/make-icons.sh).
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES packaging/icons/particles-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME particles.png)
endforeach()

# The metainfo's screenshot is the capture's frame, made at build time into release/ for the
# release to publish at the metainfo's address: frame 120 of seed 2026 at 33 ms, four seconds
# in, with both systems in full flow.
set(PARTICLES_RELEASE_DATE 2026-12-09)
set(PARTICLES_SCREENSHOT_WIDTH 1024)
set(PARTICLES_SCREENSHOT_HEIGHT 768)
set(screenshot particles-${PROJECT_VERSION}-screenshot.png)
set(PARTICLES_SCREENSHOT_URL "${PARTICLES_HOMEPAGE}screenshots/${screenshot}")
configure_file(packaging/org.example.particles.metainfo.xml.in org.example.particles.metainfo.xml
               @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/org.example.particles.metainfo.xml
        DESTINATION share/metainfo)
if(TARGET particles-capture)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/release/${screenshot}
        COMMAND ${CMAKE_COMMAND} -E rm -rf release/screenshot
        COMMAND ${CMAKE_COMMAND} -E make_directory release/screenshot
        COMMAND particles-capture --seed 2026 --step-ms 33 --frames 120 --every 120
                --out release/screenshot
        COMMAND ${CMAKE_COMMAND} -E rename release/screenshot/frame-000120.png release/${screenshot}
        COMMAND ${CMAKE_COMMAND} -E rm -rf release/screenshot
        DEPENDS particles-capture particles_data
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
        COMMENT "Capturing the metainfo's screenshot: release/${screenshot}"
        VERBATIM)
    add_custom_target(particles_screenshot ALL DEPENDS ${CMAKE_BINARY_DIR}/release/${screenshot})
endif()

# The manual page and the changelog compressed as Debian wants them: maximally, without a name or
# a time stamp.
configure_file(packaging/particles.6 particles.6 @ONLY)
set(gzipped)
foreach(file particles.6 changelog)
    if(file STREQUAL changelog)
        set(source ${PROJECT_SOURCE_DIR}/packaging/changelog)
    else()
        set(source ${CMAKE_CURRENT_BINARY_DIR}/${file})
    endif()
    add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${file}.gz
        COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${source} ${CMAKE_CURRENT_BINARY_DIR}/${file}.gz
        DEPENDS ${source}
        VERBATIM)
    list(APPEND gzipped ${CMAKE_CURRENT_BINARY_DIR}/${file}.gz)
endforeach()
add_custom_target(particles_docs ALL DEPENDS ${gzipped})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/particles.6.gz DESTINATION share/man/man6)
install(FILES packaging/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION share/doc/particles)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PARTICLES_HOMEPAGE}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The linked libraries come from dpkg-shlibdeps; OpenGL and GLU are loaded by name at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libglu1-mesa")
include(CPack)
