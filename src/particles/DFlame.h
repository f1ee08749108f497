// The flame: particles born on a small shell around Origin rise at one unit per second, wander
// sideways, are pulled back toward the vertical axis the higher they climb, and take their colour
// from a five-key gradient over their life.
#pragma once

#include <cstdint>

#include "particles/DColorSpline.h"
#include "particles/DParticleSystem.h"

class TFlame : public TParticleSystem {
  public:
    TFlame(std::int32_t Count, float EmitRate, TVector3 Origin, float Radius, float Turbulence,
           float Taper);
    ~TFlame() override;

    // The base tick, then for every live particle: jitter and rise, pull toward the axis, colour.
    void Update() override;
    void InitParticle(TParticle& P) override;

    float Radius = 0.0f;     // birth distance from Origin
    float Turbulence = 0.0f; // length of the per-tick random jitter, units per second
    float Taper = 0.0f;      // strength of the pull toward the axis through Origin
    TColorSpline Spline;     // blue, light blue, yellow, red, transparent red
};
