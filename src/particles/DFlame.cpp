// The flame: birth on a shell around Origin, rise with sideways jitter, taper toward the axis,
// colour from the gradient over the particle's life.
#include "particles/DFlame.h"

#include "random/Random.h"

TFlame::TFlame(std::int32_t Count, float EmitRate, TVector3 Origin, float Radius, float Turbulence,
               float Taper)
    : TParticleSystem(Count, EmitRate, Origin, 0) {
    this->Radius = Radius;
    this->Turbulence = Turbulence;
    this->Taper = Taper;
    PointSize = 15.0f;
    Spline.AddKey(0.0f, MakeColor(0.0f, 0.3f, 1.0f, 0.5f));  // half-transparent blue
    Spline.AddKey(0.15f, MakeColor(0.0f, 0.7f, 1.0f, 1.0f)); // light blue
    Spline.AddKey(0.2f, MakeColor(1.0f, 1.0f, 0.0f, 1.0f));  // yellow
    Spline.AddKey(0.8f, MakeColor(1.0f, 0.0f, 0.0f, 1.0f));  // red
    Spline.AddKey(1.0f, MakeColor(1.0f, 0.0f, 0.0f, 0.0f));  // transparent red
}

TFlame::~TFlame() = default;

void TFlame::InitParticle(TParticle& P) {
    P.Position = VectorAdd(Origin, RandomVector(Radius));
    P.Life = 1.5f;
    P.Velocity = MakeVector(0.0f, 0.0f, 0.0f);
    P.Reserved2 = 1.0f;
}

void TFlame::Update() {
    const float previous = LastUpdate;
    TParticleSystem::Update();
    const float dt = LastUpdate - previous;
    const float taper = Taper * dt;

    // Copies the compiler can keep in registers across the calls in the loop.
    const TVector3 origin = Origin;
    const float turbulence = Turbulence;
    TParticle* const end = Particles.get() + Count;
    for (TParticle* p = NextInUse(Particles.get(), end); p != end; p = NextInUse(p + 1, end)) {
        TVector3 jitter = RandomVector(turbulence);
        jitter.z = 1.0f; // the rise is exactly one unit per second
        TVector3 position = p->Position;
        position = VectorAdd(position, VectorScale(jitter, dt));
        // Pull toward the vertical axis through Origin, harder the higher the particle is.
        const float k = (position.z - origin.z) * taper;
        const float dx = (position.x - origin.x) * k;
        const float dy = (position.y - origin.y) * k;
        position.x = position.x - dx;
        position.y = position.y - dy;
        p->Position = position;
        const float age = p->Age;
        const float life = p->Life;
        p->Color = Spline.Evaluate(age / life);
    }
}
