// Helpers of the particle engine's tests and benchmarks: a probe system, the clock, the scene's
// systems at other sizes, live counts and field copies out of the packed records.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/DEngine.h"
#include "game/SceneSystems.h"
#include "particles/DParticleSystem.h"

namespace ptest {

// Puts both clock fields of a system at `seconds`, as if it had last ticked and emitted then.
inline void SetClock(TParticleSystem& s, float seconds) {
    s.LastUpdate = seconds;
    s.LastEmit = seconds;
}

// One tick at frame time `ms`, as the frame loop runs it.
inline void TickAt(TParticleSystem& s, float ms) {
    CurrentTime = ms;
    s.Update();
}

// Frees every slot without running a tick.
inline void FreeAll(TParticleSystem& s) {
    for (std::int32_t i = 0; i < s.Count; ++i) {
        s.Particles[i].Alive = 0;
    }
}

// The number of slots in use.
// Every slot's record as its bytes, to compare before and after.
inline std::vector<unsigned char> Bytes(const TParticleSystem& s) {
    const auto* first = reinterpret_cast<const unsigned char*>(s.Particles.get());
    return std::vector<unsigned char>(first, first + static_cast<std::size_t>(s.Count) *
                                                         sizeof(TParticle));
}

inline int Live(const TParticleSystem& s) {
    int n = 0;
    for (std::int32_t i = 0; i < s.Count; ++i) {
        n += s.Particles[i].Alive != 0;
    }
    return n;
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

// The scene's flame and spray with `count` slots.
inline TFlame SceneFlameOf(std::int32_t count) {
    TFlameSetup s = SceneFlame;
    s.Count = count;
    return MakeFlame(s);
}
inline TEmitter SceneEmitterOf(std::int32_t count) {
    TEmitterSetup s = SceneEmitter;
    s.Count = count;
    return MakeEmitter(s);
}

// A slot in use with the given state.
inline void Place(TParticle& p, TVector3 position, TVector3 velocity, float age, float life) {
    p.Position = position;
    p.Velocity = velocity;
    p.Age = age;
    p.Life = life;
    p.Alive = 1;
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
