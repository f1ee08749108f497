// Helpers shared by the particle engine's tests: a probe system, the clock, field copies out of
// the packed records and an independent model of the random generator.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/DEngine.h"
#include "particles/DParticleSystem.h"

namespace ptest {

// Puts both clock fields of a system at `seconds`, as if it had last ticked and emitted then.
inline void SetClock(TParticleSystem& s, float seconds) {
    s.LastUpdate = seconds;
    s.LastEmit = seconds;
}

// Frees every slot without running a tick.
inline void FreeAll(TParticleSystem& s) {
    for (std::int32_t i = 0; i < s.Count; ++i) {
        s.Particles[i].Alive = 0;
    }
}

// Copies out of a packed record: never a reference to a (possibly misaligned) member.
inline TVector3 PositionOf(const TParticle& p) {
    return p.Position;
}
inline TVector3 VelocityOf(const TParticle& p) {
    return p.Velocity;
}
inline TColor4 ColorOf(const TParticle& p) {
    return p.Color;
}

// A slot in use with the given state.
inline void Place(TParticle& p, TVector3 position, TVector3 velocity, float age, float life) {
    p.Position = position;
    p.Velocity = velocity;
    p.Age = age;
    p.Life = life;
    p.Alive = 1;
}

// The generator's recurrence, written out again so the tests do not lean on Random itself.
constexpr std::uint32_t Multiplier = 134775813u;

inline std::uint32_t NextState(std::uint32_t s) {
    return s * Multiplier + 1u;
}

inline std::uint32_t Advance(std::uint32_t s, int steps) {
    for (int i = 0; i < steps; ++i) {
        s = NextState(s);
    }
    return s;
}

// The state that precedes `s` (the multiplier is odd, hence invertible modulo 2^32).
inline std::uint32_t PreviousState(std::uint32_t s) {
    std::uint32_t inverse = Multiplier;
    for (int i = 0; i < 5; ++i) {
        inverse *= 2u - Multiplier * inverse;
    }
    return (s - 1u) * inverse;
}

// The value a draw that leaves the generator in state s returns.
inline long double DrawOf(std::uint32_t s) {
    return static_cast<long double>(s) / 4294967296.0L;
}

// A concrete system whose newborns get a fixed state and whose births are recorded by slot.
class TProbe : public TParticleSystem {
  public:
    explicit TProbe(std::int32_t count, float rate = 0.0f)
        : TParticleSystem(count, rate, MakeVector(0.0f, 0.0f, 0.0f), 0) {
        Born.reserve(64);
    }

    void InitParticle(TParticle& P) override {
        const int slot = static_cast<int>(&P - Particles.get());
        Born.push_back(slot);
        P.Position = NewPosition;
        P.Velocity = NewVelocity;
        P.Life = NewLife;
        if (OnInit) {
            OnInit(slot);
        }
    }

    std::vector<int> Born;
    TVector3 NewPosition = {0.0f, 0.0f, 0.0f};
    TVector3 NewVelocity = {0.0f, 0.0f, 0.0f};
    float NewLife = 100.0f;
    std::function<void(int)> OnInit;
};

} // namespace ptest
