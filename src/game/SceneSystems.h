// What the scene builds its flame and spray with, in one place: InitScene makes its two systems
// from these, and the tests and benchmarks make theirs from the same values.
#pragma once

#include <cstdint>

#include "particles/DEmitter.h"
#include "particles/DFlame.h"

struct TFlameSetup {
    std::int32_t Count;
    float EmitRate;
    TVector3 Origin;
    float Radius;
    float Turbulence;
    float Taper;
};

struct TEmitterSetup {
    std::int32_t Count;
    std::int32_t EmitRate;
    TVector3 Origin;
    TColor4 Color;
    float LifeMin;
    float LifeMax;
};

// Right of the picture's centre: 3000 slots, 50 a second, born 0.15 from the origin.
constexpr TFlameSetup SceneFlame = {3000, 50.0f, {-1.0f, 0.0f, 0.0f}, 0.15f, 0.2f, 1.0f};
// Left of it: 1000 slots, 30 a second, red with half blue, living 1 to 2 seconds.
constexpr TEmitterSetup SceneEmitter = {1000, 30,  {1.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.5f, 1.0f},
                                        1.0f, 2.0f};

inline TFlame MakeFlame(const TFlameSetup& s) {
    return TFlame(s.Count, s.EmitRate, s.Origin, s.Radius, s.Turbulence, s.Taper);
}

inline TEmitter MakeEmitter(const TEmitterSetup& s) {
    return TEmitter(s.Count, s.EmitRate, s.Origin, s.Color, s.LifeMin, s.LifeMax);
}
