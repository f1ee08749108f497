// The scene through the recording binding: what InitScene builds, what a frame draws in what
// state and order, the camera, the order of ticking, what freeing leaves.
#include <algorithm>

#include <gtest/gtest.h>

#include "BmpBuilder.h"
#include "GLDoubles.h"
#include "GameTestSupport.h"
#include "ParticleTestSupport.h"
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

class Scene : public InGameScratch {
  protected:
    void SetUp() override {
        InGameScratch::SetUp();
        // Different sizes, so that each upload shows which file it came from.
        WriteFile("DATA/Textures/particle.bmp", BmpBuilder::Plain(4, 4).Bytes());
        WriteFile("DATA/Textures/particle1.bmp", BmpBuilder::Plain(8, 8).Bytes());
        gltest::Record();
        InitScene();
        ASSERT_NE(Flame, nullptr);
        ASSERT_NE(Emitter, nullptr);
    }
    void TearDown() override {
        if (Flame) {
            FreeScene();
        }
        InGameScratch::TearDown();
    }

    // Makes the next ticks see a frame time one second after the systems were created.
    static void OneSecondLater() { CurrentTime = (Flame->LastUpdate + 1.0f) * 1000.0f; }
};

} // namespace

TEST_F(Scene, InitGivesEachSystemTheTextureOfItsOwnSprite) {
    const gltest::Followed f = gltest::Follow(gltest::Calls);
    ASSERT_EQ(f.Textures.size(), 2u);
    const auto width = [&f](GLuint texture) { return f.Textures.at(texture).Image.at(2); };
    EXPECT_EQ(width(Emitter->Texture), 4) << "particle.bmp";
    EXPECT_EQ(width(Flame->Texture), 8) << "particle1.bmp";
}

TEST_F(Scene, RenderClearsThenDrawsTheMarkerThenTheSprayThenTheFlame) {
    OneSecondLater();
    UpdateScene();
    const int sparks = ptest::Live(*Emitter);
    const int flames = ptest::Live(*Flame);
    ASSERT_GT(sparks, 0);
    ASSERT_GT(flames, 0);

    gltest::Record();
    RenderScene();
    const std::vector<gltest::Call>& calls = gltest::Calls;
    const auto first = [&calls](const char* name) {
        return std::find_if(calls.begin(), calls.end(),
                            [name](const gltest::Call& c) { return c.Name == name; }) -
               calls.begin();
    };
    ASSERT_LT(first("glClear"), first("glBegin")) << "the buffers are cleared before drawing";
    EXPECT_EQ(gltest::CallsOf("glClear")[0].Args,
              (std::vector<double>{GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT}));

    const gltest::Followed f = gltest::Follow(calls);
    ASSERT_FALSE(f.Vertices.empty());
    // The origin's marker: one white point, written to the depth buffer like any solid point.
    const gltest::Vertex& marker = f.Vertices[0];
    EXPECT_EQ(marker.Position, (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(marker.Primitive, GL_POINTS);
    EXPECT_EQ(marker.State.Color, (std::vector<double>{1, 1, 1, 1}));
    EXPECT_TRUE(marker.State.DepthWrites);
    EXPECT_FALSE(marker.State.On(GL_BLEND));
    std::vector<std::string> owners;
    for (const gltest::Vertex& v : f.Vertices) {
        EXPECT_TRUE(v.State.On(GL_DEPTH_TEST)) << "points behind the marker stay hidden";
        owners.push_back(&v == &marker ? "marker" : Owner(static_cast<const GLfloat*>(v.Address)));
    }
    EXPECT_EQ(Runs(owners), (std::vector<std::string>{
                                "marker",
                                "emitter particle x" + std::to_string(sparks),
                                "flame particle x" + std::to_string(flames),
                            }));
}

TEST_F(Scene, TheCameraStandsAtThreeThreeThreeLookingAtTheOriginWithZUp) {
    gltest::Record();
    RenderScene();
    RenderScene();
    // Each matrix is loaded afresh every frame, so that nothing accumulates.
    double mode = -1;
    bool fresh = false;
    int perspectives = 0, cameras = 0;
    for (const gltest::Call& c : gltest::Calls) {
        if (c.Name == "glMatrixMode") {
            mode = c.Args[0];
            fresh = false;
        } else if (c.Name == "glLoadIdentity") {
            fresh = true;
        } else if (c.Name == "gluPerspective") {
            ++perspectives;
            EXPECT_TRUE(mode == GL_PROJECTION && fresh);
            EXPECT_EQ(c.Args, (std::vector<double>{60, 4.0 / 3.0, 1, 60}));
        } else if (c.Name == "gluLookAt") {
            ++cameras;
            EXPECT_TRUE(mode == GL_MODELVIEW && fresh);
            EXPECT_EQ(c.Args, (std::vector<double>{3, 3, 3, 0, 0, 0, 0, 0, 1}));
        }
    }
    EXPECT_EQ(perspectives, 2);
    EXPECT_EQ(cameras, 2);
}

TEST_F(Scene, TheAspectFollowsTheSettingsNotTheWindow) {
    const std::int32_t width = ScreenWidth, height = ScreenHeight;
    gltest::Record();
    ScreenWidth = 1280;
    ScreenHeight = 720;
    RenderScene();
    ScreenWidth = width;
    ScreenHeight = height;
    const std::vector<gltest::Call> perspective = gltest::CallsOf("gluPerspective");
    ASSERT_EQ(perspective.size(), 1u);
    EXPECT_EQ(perspective[0].Args[1], 16.0 / 9.0);
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
    EXPECT_GT(ptest::Live(*Flame), 0);
}

TEST_F(Scene, FreeDeletesEveryTextureOnceAndBothSystems) {
    FreeScene();
    const gltest::Followed f = gltest::Follow(gltest::Calls);
    EXPECT_TRUE(f.Textures.empty()) << "a texture is left";
    EXPECT_FALSE(f.DeletedUnknownTexture);
    EXPECT_EQ(Flame, nullptr);
    EXPECT_EQ(Emitter, nullptr);
}

using SceneDeathTest = InGameScratch;

TEST_F(SceneDeathTest, AMissingEmitterSpriteEndsInitBeforeTheFlameSpriteIsTried) {
    WriteFile("DATA/Textures/particle1.bmp", BmpBuilder::Plain(4, 4).Bytes());
    EXPECT_EXIT(
        {
            gltest::BindNothing();
            InitScene();
        },
        ::testing::ExitedWithCode(1),
        "^BMP Unit: Error opening \"DATA\\\\Textures\\\\particle\\.bmp\n"
        "Loading Textures: Unable to load DATA\\\\Textures\\\\particle\\.bmp\n$");
}
