// The x87 control word and the SSE control register of the main thread.
#include "real/FloatEnv.h"

#if defined(_MSC_VER) && !defined(__clang__)
#include <float.h>
#endif

#if defined(__i386__) || defined(__x86_64__)
#define PARTICLES_X87_ASM 1
#endif

void SetFloatEnvironment() {
#if PARTICLES_X87_ASM
    std::uint16_t word = ProgramControlWord;
    __asm__ volatile("fldcw %0" : : "m"(word));
#if defined(__SSE__) || defined(__x86_64__)
    std::uint32_t csr = 0;
    __asm__ volatile("stmxcsr %0" : "=m"(csr));
    csr |= 0x1F80u;  // mask every SSE exception
    csr &= ~0x6000u; // round to nearest
    __asm__ volatile("ldmxcsr %0" : : "m"(csr));
#endif
#elif defined(_MSC_VER)
    unsigned int current = 0;
    _controlfp_s(&current, _MCW_EM, _MCW_EM);
    _controlfp_s(&current, _RC_NEAR, _MCW_RC);
#endif
}

std::uint16_t FloatControlWord() {
#if PARTICLES_X87_ASM
    std::uint16_t word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
#else
    return 0;
#endif
}

FloatEnvironmentGuard::FloatEnvironmentGuard() {
    std::fegetenv(&Saved);
#if PARTICLES_X87_ASM && (defined(__SSE__) || defined(__x86_64__))
    __asm__ volatile("stmxcsr %0" : "=m"(SavedCsr));
#endif
}

FloatEnvironmentGuard::~FloatEnvironmentGuard() {
    std::fesetenv(&Saved);
#if PARTICLES_X87_ASM && (defined(__SSE__) || defined(__x86_64__))
    __asm__ volatile("ldmxcsr %0" : : "m"(SavedCsr));
#endif
}
