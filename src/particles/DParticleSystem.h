// The particle record and the abstract particle system: fixed slots, emission, ageing, motion and
// drawing as one batch of textured, additively blended point sprites.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "math/DVector.h"

// One particle slot. Packed: OpenGL reads Color and Position straight out of the array, so the
// record is exactly 57 bytes and slot i starts at byte 57 * i. As 57 * i is a multiple of 4 only
// when i is, the floats of three slots in four are misaligned: copy members to locals (never bind
// references or take their addresses) and store them back.
#pragma pack(push, 1)
struct TParticle {
    TVector3 Position;  // world units
    TColor4 Color;      // as drawn
    TVector3 Velocity;  // world units per second
    float Reserved1;    // zero-filled at creation, never used
    float Reserved2;    // set by the flame at birth, never read
    float Age;          // seconds since birth
    float Life;         // freed once Age reaches it
    std::uint8_t Alive; // 0 = free; the system writes only 0 and 1
};
#pragma pack(pop)

static_assert(sizeof(TParticle) == 57, "TParticle is a packed 57-byte record");
static_assert(offsetof(TParticle, Position) == 0, "TParticle.Position offset");
static_assert(offsetof(TParticle, Color) == 12, "TParticle.Color offset");
static_assert(offsetof(TParticle, Velocity) == 28, "TParticle.Velocity offset");
static_assert(offsetof(TParticle, Reserved1) == 40, "TParticle.Reserved1 offset");
static_assert(offsetof(TParticle, Reserved2) == 44, "TParticle.Reserved2 offset");
static_assert(offsetof(TParticle, Age) == 48, "TParticle.Age offset");
static_assert(offsetof(TParticle, Life) == 52, "TParticle.Life offset");
static_assert(offsetof(TParticle, Alive) == 56, "TParticle.Alive offset");

// The first slot in use from `p` on, or `end`. Every loop over the slots goes through this: in
// the scene most slots are free, the ones in use crowd at the front (newborns take the lowest
// free slots), and a run of free slots is passed four records at a time.
template <typename Record> inline Record* NextInUse(Record* p, Record* end) {
    if (p == end || p->Alive != 0) {
        return p;
    }
    for (Record* const stop = p + (end - p) / 4 * 4; p != stop; p += 4) {
        if ((p[0].Alive | p[1].Alive | p[2].Alive | p[3].Alive) != 0) {
            break;
        }
    }
    while (p != end && p->Alive == 0) {
        ++p;
    }
    return p;
}

// The shared part of every particle system. Subclasses supply InitParticle, may extend Update and
// set PointSize in their constructors.
class TParticleSystem {
  public:
    // Count slots (a negative Count gives none), all zero-filled and marked alive with Life 0 so
    // that the first Update frees them; the clock fields start at GetTime() seconds.
    TParticleSystem(std::int32_t Count, float EmitRate, TVector3 Origin, std::uint32_t Texture);
    virtual ~TParticleSystem();

    TParticleSystem(const TParticleSystem&) = delete;
    TParticleSystem& operator=(const TParticleSystem&) = delete;

    // Stores the texture name; makes no OpenGL call.
    void SetTexture(std::uint32_t Texture);

    // One simulation tick at CurrentTime: age, free, move, then emit into the lowest free slots.
    virtual void Update();
    // Draws every live particle as one point sprite; needs a current OpenGL context.
    virtual void Render();
    // Fills in a newborn particle (Alive 1, Age 0; every other field left by its predecessor).
    virtual void InitParticle(TParticle& P) = 0;

    std::unique_ptr<TParticle[]> Particles;
    std::int32_t Count = 0;
    std::uint32_t Reserved = 0;
    float LastUpdate = 0.0f; // seconds
    float LastEmit = 0.0f;   // seconds
    float EmitRate = 0.0f;   // particles per second
    float PointSize = 0.0f;  // pixels
    TVector3 Origin = {0.0f, 0.0f, 0.0f};
    std::uint32_t Texture = 0; // OpenGL texture name, not owned
};
