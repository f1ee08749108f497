// The spray emitter: straight flight from Origin, one colour, linear fade over a random life.
#include "particles/DEmitter.h"

#include "random/Random.h"

TEmitter::TEmitter(std::int32_t Count, std::int32_t EmitRate, TVector3 Origin, TColor4 Color,
                   float LifeMin, float LifeMax)
    : TParticleSystem(Count, static_cast<float>(EmitRate), Origin, 0) {
    ParticleColor = Color;
    Speed = 0.5f;
    PointSize = 20.0f;
    this->LifeMin = LifeMin;
    this->LifeMax = LifeMax;
}

void TEmitter::InitParticle(TParticle& P) {
    P.Position = Origin;
    P.Color = ParticleColor;
    P.Velocity = RandomVector(Speed); // drawn before the lifetime
    const Real r = Random();
    P.Life = static_cast<float>(static_cast<Real>(LifeMax) +
                                r * (static_cast<Real>(LifeMin) - static_cast<Real>(LifeMax)));
}

void TEmitter::Update() {
    TParticleSystem::Update();
    TParticle* const end = Particles.get() + Count;
    for (TParticle* p = NextInUse(Particles.get(), end); p != end; p = NextInUse(p + 1, end)) {
        const Real age = p->Age;
        const Real life = p->Life;
        p->Color.a = static_cast<float>(Real(1) - age / life);
    }
}
