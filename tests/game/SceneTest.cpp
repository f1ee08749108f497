// The scene through the recording binding: what InitScene builds, the order of drawing, ticking
// and freeing, and the camera.
#include <gtest/gtest.h>

#include "BmpBuilder.h"
#include "GameTestSupport.h"
#include "engine/DEngine.h"
#include "game/DGame.h"
#include "random/Random.h"

namespace {

// Which particle array a vertex pointer lies in.
const char* Owner(const GLfloat* v) {
    auto inside = [v](const TParticleSystem* s) {
        const auto* first = reinterpret_cast<const unsigned char*>(s->Particles.get());
        const auto* p = reinterpret_cast<const unsigned char*>(v);
        return p >= first && p < first + sizeof(TParticle) * static_cast<std::size_t>(s->Count);
    };
    if (Emitter && inside(Emitter)) {
        return "emitter particle";
    }
    if (Flame && inside(Flame)) {
        return "flame particle";
    }
    return "stray vertex";
}

double Aspect = 0.0;

void GLAPIENTRY MatrixMode(GLenum mode) {
    record::Calls.push_back(record::Format("glMatrixMode(0x%04X)", mode));
}
void GLAPIENTRY LoadIdentity() {
    record::Calls.push_back("glLoadIdentity()");
}
void GLAPIENTRY Perspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    Aspect = aspect;
    record::Calls.push_back(
        record::Format("gluPerspective(%g, %.17g, %g, %g)", fovy, aspect, zNear, zFar));
}
void GLAPIENTRY LookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz,
                       GLdouble ux, GLdouble uy, GLdouble uz) {
    record::Calls.push_back(record::Format("gluLookAt(%g, %g, %g, %g, %g, %g, %g, %g, %g)", ex, ey,
                                           ez, cx, cy, cz, ux, uy, uz));
}
void GLAPIENTRY ClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    record::Calls.push_back(record::Format("glClearColor(%g, %g, %g, %g)", r, g, b, a));
}
void GLAPIENTRY ClearDepth(GLclampd depth) {
    record::Calls.push_back(record::Format("glClearDepth(%g)", depth));
}
void GLAPIENTRY Clear(GLbitfield mask) {
    record::Calls.push_back(record::Format("glClear(0x%04X)", mask));
}
void GLAPIENTRY Enable(GLenum cap) {
    record::Calls.push_back(record::Format("glEnable(0x%04X)", cap));
}
void GLAPIENTRY Begin(GLenum mode) {
    record::Calls.push_back(record::Format("glBegin(0x%04X)", mode));
}
void GLAPIENTRY End() {
    record::Calls.push_back("glEnd()");
}
void GLAPIENTRY Vertex3f(GLfloat x, GLfloat y, GLfloat z) {
    record::Calls.push_back(record::Format("glVertex3f(%g, %g, %g)", x, y, z));
}
void GLAPIENTRY Vertex3fv(const GLfloat* v) {
    record::Calls.push_back(Owner(v));
}
void GLAPIENTRY PushAttrib(GLbitfield) {
    record::Calls.push_back("glPushAttrib");
}

struct Deletion {
    GLuint name;
    const char* field;
    bool bothAlive;
    bool operator==(const Deletion& o) const {
        return name == o.name && std::string(field) == o.field && bothAlive == o.bothAlive;
    }
};
std::ostream& operator<<(std::ostream& out, const Deletion& d) {
    return out << "{" << d.name << ", " << d.field << ", " << (d.bothAlive ? "both alive" : "freed")
               << "}";
}
std::vector<Deletion> Deletions;

void GLAPIENTRY DeleteTextures(GLsizei n, const GLuint* textures) {
    EXPECT_EQ(n, 1);
    const char* field = Emitter && textures == &Emitter->Texture ? "Emitter.Texture"
                        : Flame && textures == &Flame->Texture   ? "Flame.Texture"
                                                                 : "elsewhere";
    Deletions.push_back({*textures, field, Emitter != nullptr && Flame != nullptr});
}

// Drops runs of equal entries to one entry followed by "×count".
std::vector<std::string> Runs(const std::vector<std::string>& calls) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < calls.size();) {
        std::size_t j = i;
        while (j < calls.size() && calls[j] == calls[i]) {
            ++j;
        }
        out.push_back(j - i > 1 ? calls[i] + " x" + std::to_string(j - i) : calls[i]);
        i = j;
    }
    return out;
}

class Scene : public InScratchDirectory {
  protected:
    void SetUp() override {
        InScratchDirectory::SetUp();
        // Different sizes, so that each upload shows which file it came from.
        WriteFile("DATA/Textures/particle.bmp", BmpBuilder::Plain(4, 4).Bytes());
        WriteFile("DATA/Textures/particle1.bmp", BmpBuilder::Plain(8, 8).Bytes());
        record::SilenceAll();
        record::TextureCalls();
        Deletions.clear();
        gl::Table.glDeleteTextures = DeleteTextures;
        InitScene();
        ASSERT_NE(Flame, nullptr);
        ASSERT_NE(Emitter, nullptr);
    }
    void TearDown() override {
        if (Flame) {
            FreeScene();
        }
        InScratchDirectory::TearDown();
    }

    // Makes the next ticks see a frame time one second after the systems were created.
    static void OneSecondLater() { CurrentTime = (Flame->LastUpdate + 1.0f) * 1000.0f; }

    static void RecordDrawing() {
        record::Calls.clear();
        gl::Table.glMatrixMode = MatrixMode;
        gl::Table.glLoadIdentity = LoadIdentity;
        gl::Table.gluPerspective = Perspective;
        gl::Table.gluLookAt = LookAt;
        gl::Table.glClearColor = ClearColor;
        gl::Table.glClearDepth = ClearDepth;
        gl::Table.glClear = Clear;
        gl::Table.glEnable = Enable;
        gl::Table.glBegin = Begin;
        gl::Table.glEnd = End;
        gl::Table.glVertex3f = Vertex3f;
        gl::Table.glVertex3fv = Vertex3fv;
        gl::Table.glPushAttrib = PushAttrib;
    }
};

std::int32_t LiveParticles(const TParticleSystem& s) {
    std::int32_t n = 0;
    for (std::int32_t i = 0; i < s.Count; ++i) {
        n += s.Particles[i].Alive != 0;
    }
    return n;
}

} // namespace

TEST_F(Scene, InitLoadsTheEmitterSpriteFirstAndGivesEachSystemItsOwn) {
    std::vector<std::string> uploads;
    for (const auto& call : record::Calls) {
        if (call.rfind("gluBuild2DMipmaps", 0) == 0) {
            uploads.push_back(call);
        }
    }
    EXPECT_EQ(uploads, (std::vector<std::string>{
                           "gluBuild2DMipmaps(0x0DE1, 3, 4, 4, 0x1907, 0x1401)",
                           "gluBuild2DMipmaps(0x0DE1, 3, 8, 8, 0x1907, 0x1401)",
                       }));
    EXPECT_EQ(Emitter->Texture, 1u); // particle.bmp
    EXPECT_EQ(Flame->Texture, 2u);   // particle1.bmp
}

TEST_F(Scene, RenderSetsTheCameraThenDrawsMarkerEmitterFlame) {
    OneSecondLater();
    UpdateScene();
    const std::int32_t sparks = LiveParticles(*Emitter);
    const std::int32_t flames = LiveParticles(*Flame);
    ASSERT_GT(sparks, 0);
    ASSERT_GT(flames, 0);

    RecordDrawing();
    RenderScene();
    // The scene's own calls up to the first system's drawing, then only the particles.
    std::vector<std::string> drawn;
    bool systems = false;
    for (const auto& call : record::Calls) {
        systems = systems || call == "glPushAttrib";
        if (!systems || call.find("particle") != std::string::npos) {
            drawn.push_back(call);
        }
    }
    EXPECT_EQ(Runs(drawn), (std::vector<std::string>{
                               "glMatrixMode(0x1701)",
                               "glLoadIdentity()",
                               "gluPerspective(60, 1.3333333333333333, 1, 60)",
                               "glMatrixMode(0x1700)",
                               "glLoadIdentity()",
                               "gluLookAt(3, 3, 3, 0, 0, 0, 0, 0, 1)",
                               "glClearColor(0, 0, 0, 0)",
                               "glClearDepth(1)",
                               "glClear(0x4100)",
                               "glEnable(0x0B71)",
                               "glBegin(0x0000)",
                               "glVertex3f(0, 0, 0)",
                               "glEnd()",
                               "emitter particle x" + std::to_string(sparks),
                               "flame particle x" + std::to_string(flames),
                           }));
    EXPECT_EQ(Aspect, 4.0 / 3.0);
}

TEST_F(Scene, TheAspectFollowsTheSettingsNotTheWindow) {
    const std::int32_t width = ScreenWidth, height = ScreenHeight;
    RecordDrawing();
    ScreenWidth = 1280;
    ScreenHeight = 720;
    RenderScene();
    ScreenWidth = width;
    ScreenHeight = height;
    EXPECT_EQ(Aspect, 16.0 / 9.0);
}

TEST_F(Scene, UpdateTicksTheEmitterBeforeTheFlame) {
    // The first newborn of whichever system ticks first takes the first random numbers.
    OneSecondLater();
    RandSeed = 12345;
    UpdateScene();
    RandSeed = 12345;
    const TVector3 expected = RandomVector(0.5f);
    const TVector3 velocity = Emitter->Particles[0].Velocity;
    EXPECT_EQ(velocity.x, expected.x);
    EXPECT_EQ(velocity.y, expected.y);
    EXPECT_EQ(velocity.z, expected.z);
    EXPECT_GT(LiveParticles(*Flame), 0);
}

TEST_F(Scene, FreeDeletesTheEmitterTextureThenTheFlamesThenTheSystems) {
    FreeScene();
    EXPECT_EQ(Deletions,
              (std::vector<Deletion>{{1, "Emitter.Texture", true}, {2, "Flame.Texture", true}}));
    EXPECT_EQ(Flame, nullptr);
    EXPECT_EQ(Emitter, nullptr);
}

using SceneDeathTest = InScratchDirectory;

TEST_F(SceneDeathTest, AMissingEmitterSpriteEndsInitBeforeTheFlameSpriteIsTried) {
    WriteFile("DATA/Textures/particle1.bmp", BmpBuilder::Plain(4, 4).Bytes());
    EXPECT_EXIT(
        {
            record::SilenceAll();
            InitScene();
        },
        ::testing::ExitedWithCode(1),
        "^BMP Unit: Error opening \"DATA\\\\Textures\\\\particle\\.bmp\n"
        "Loading Textures: Unable to load DATA\\\\Textures\\\\particle\\.bmp\n$");
}
