// AddressSanitizer's defaults for test programs that create OpenGL contexts: no leak check at
// exit. Linked into such a test executable as one of its sources.
//
// Every leak LeakSanitizer finds there was made by the OpenGL driver behind SDL, which is
// unloaded before the check runs, so its frames have no module name that a suppression could
// match. Out-of-bounds and use-after-free checks stay on.
#if defined(__SANITIZE_ADDRESS__)
#define PARTICLES_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PARTICLES_ASAN 1
#endif
#endif

#ifdef PARTICLES_ASAN
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}
#endif
