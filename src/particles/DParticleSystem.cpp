// Emission, ageing, motion and drawing shared by every particle system.
#include "particles/DParticleSystem.h"

#include <limits>

#include "engine/DEngine.h"
#include "gl/GL.h"
#include "random/Random.h"

namespace {

// Milliseconds to seconds; the decimal 0.001 at working precision (the quotient is correctly
// rounded, as the literal 0.001L is on the x87).
constexpr Real MillisecondsToSeconds = Real(1) / Real(1000);

// Point size attenuation: constant, linear, quadratic.
constexpr GLfloat DistanceAttenuation[3] = {1.0f, 0.0f, 0.01f};

float Seconds(Real milliseconds) {
    return static_cast<float>(milliseconds * MillisecondsToSeconds);
}

// Rounds the due count (halves to even). Counts beyond the 32-bit range saturate instead of
// wrapping; NaN emits nothing.
std::int32_t EmissionCount(Real x) {
    if (!(x == x)) {
        return 0;
    }
    if (x >= static_cast<Real>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (x <= static_cast<Real>(std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(RoundToInt(x));
}

} // namespace

TParticleSystem::TParticleSystem(std::int32_t Count, float EmitRate, TVector3 Origin,
                                 std::uint32_t Texture) {
    this->Count = Count > 0 ? Count : 0;
    // Value-initialised: every byte of every record is zero.
    Particles.reset(new TParticle[static_cast<std::size_t>(this->Count)]());
    for (std::int32_t i = 0; i < this->Count; ++i) {
        Particles[i].Alive = 1;
    }
    Reserved = 0;
    this->EmitRate = EmitRate;
    this->Origin = Origin;
    this->Texture = Texture;
    LastUpdate = Seconds(static_cast<Real>(GetTime()));
    LastEmit = LastUpdate;
}

TParticleSystem::~TParticleSystem() = default;

void TParticleSystem::SetTexture(std::uint32_t Texture) {
    this->Texture = Texture;
}

void TParticleSystem::Update() {
    const float t = Seconds(static_cast<Real>(CurrentTime));
    const float dt = t - LastUpdate;

    TParticle* const end = Particles.get() + Count;
    for (TParticle* p = NextInUse(Particles.get(), end); p != end; p = NextInUse(p + 1, end)) {
        const float age = p->Age + dt;
        p->Age = age;
        if (age >= p->Life) {
            p->Alive = 0;
        } else {
            const TVector3 velocity = p->Velocity;
            const TVector3 position = p->Position;
            p->Position = VectorAdd(position, VectorScale(velocity, dt));
        }
    }
    LastUpdate = t;

    const std::int32_t n = EmissionCount((static_cast<Real>(t) - static_cast<Real>(LastEmit)) *
                                             static_cast<Real>(EmitRate) +
                                         Real(0.5));
    if (n < 1) {
        return;
    }
    // The cursor never moves backwards, so the whole emission is one pass over the slots.
    std::int32_t c = 0;
    for (std::int32_t k = 0; k < n; ++k) {
        while (c < Count && Particles[c].Alive != 0) {
            ++c;
        }
        if (c >= Count) {
            break; // no free slot: the rest of this tick's particles are dropped
        }
        Particles[c].Alive = 1;
        Particles[c].Age = 0.0f;
        InitParticle(Particles[c]);
    }
    LastEmit = t;
}

void TParticleSystem::Render() {
    glPushAttrib(GL_COLOR_BUFFER_BIT + GL_ENABLE_BIT + GL_DEPTH_BUFFER_BIT + GL_POINT_BIT);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, Texture);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_POINT_SPRITE_ARB);
    glPointParameterfvARB(GL_POINT_DISTANCE_ATTENUATION_ARB, DistanceAttenuation);
    glPointParameterfARB(GL_POINT_FADE_THRESHOLD_SIZE_ARB, 20.0f);
    glTexEnvf(GL_POINT_SPRITE_ARB, GL_COORD_REPLACE_ARB, 1.0f);
    glPointSize(PointSize);
    glBegin(GL_POINTS);
    // OpenGL reads colour and position in place: byte pointers into the packed records, never
    // references to their (possibly misaligned) float members.
    const TParticle* const begin = Particles.get();
    const TParticle* const end = begin + Count;
    for (const TParticle* p = NextInUse(begin, end); p != end; p = NextInUse(p + 1, end)) {
        const auto* record = reinterpret_cast<const unsigned char*>(p);
        glColor4fv(reinterpret_cast<const GLfloat*>(record + offsetof(TParticle, Color)));
        glVertex3fv(reinterpret_cast<const GLfloat*>(record + offsetof(TParticle, Position)));
    }
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glEnd();
    glPopAttrib();
}
