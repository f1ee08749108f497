# The hardening a distribution builds its own packages with, on native ELF builds: position-
# independent executables, stack protector, fortified libc calls, stack clash protection, control-
# flow protection (CET) where the target has it, and a read-only relocation table bound at start.
# None of these touches a floating-point operation: the pinned digests and golden frame hold.
# Left out of sanitizer and fuzzing builds, whose run-time library replaces the fortified calls.
if(WIN32 OR EMSCRIPTEN OR PARTICLES_SANITIZE OR PARTICLES_BUILD_FUZZ OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    return()
endif()
include(CheckCXXCompilerFlag)
include(CheckPIESupported)

check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
add_compile_options(-fstack-protector-strong)
# Fortification needs the optimiser; glibc warns about it in an unoptimised build.
add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
foreach(flag -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "PARTICLES_HAS${flag}" result)
    check_cxx_compiler_flag(${flag} ${result})
    if(${result})
        add_compile_options(${flag})
    endif()
endforeach()
add_link_options(-Wl,-z,relro -Wl,-z,now)
