// The spray: particles born at Origin in one colour, flying straight out at 0.5 units per second
// in a random direction and fading linearly over a random lifetime.
#pragma once

#include <cstdint>

#include "particles/DParticleSystem.h"

class TEmitter : public TParticleSystem {
  public:
    TEmitter(std::int32_t Count, std::int32_t EmitRate, TVector3 Origin, TColor4 Color,
             float LifeMin, float LifeMax);

    // The base tick, then every live particle's alpha := 1 - Age / Life.
    void Update() override;
    void InitParticle(TParticle& P) override;

    TColor4 ParticleColor = {0.0f, 0.0f, 0.0f, 0.0f};
    float Speed = 0.0f;
    float LifeMax = 0.0f; // lifetime when Random returns 0
    float LifeMin = 0.0f; // approached as Random nears 1
};
