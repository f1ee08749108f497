// AddressSanitizer's defaults for the memory tests: no leak check at exit.
//
// The leaks LeakSanitizer would report here are the OpenGL driver's, made behind SDL and
// unloaded before the check runs, out of reach of a suppression. Everything else stays checked.
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
