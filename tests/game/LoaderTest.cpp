// LoadBMP and LoadTexture on real files: the message boxes, the GL calls, the exit on failure.
#include <gtest/gtest.h>

#include "BmpBuilder.h"
#include "GLDoubles.h"
#include "GameTestSupport.h"
#include "game/DGame.h"

namespace {

using Loader = InGameScratch;
using LoaderDeathTest = InGameScratch;

using Boxes = std::vector<std::string>;

// Loads `bytes` from a file through LoadBMP; the message boxes it showed go to `boxes`.
std::vector<std::uint8_t> Load(const std::vector<std::uint8_t>& bytes, Boxes& boxes,
                               std::int32_t& width, std::int32_t& height) {
    InGameScratch::WriteFile("DATA/Textures/t.bmp", bytes);
    seam::TakeMessageBoxes();
    auto pixels = LoadBMP("DATA\\Textures\\t.bmp", width, height);
    boxes = seam::TakeMessages(MB_OK);
    return pixels;
}

} // namespace

TEST_F(Loader, LoadsAFileByItsBackslashNameWithoutAMessage) {
    BmpBuilder b = BmpBuilder::Plain(8, 2);
    b.Body[0] = 0x10;
    b.Body[1] = 0x20;
    b.Body[2] = 0x30;
    Boxes boxes;
    std::int32_t width = 0, height = 0;
    const auto pixels = Load(b.Bytes(), boxes, width, height);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(width, 8);
    EXPECT_EQ(height, 2);
    ASSERT_EQ(pixels.size(), 48u);
    EXPECT_EQ(pixels[0], 0x30);
    EXPECT_EQ(pixels[1], 0x20);
    EXPECT_EQ(pixels[2], 0x10);
}

TEST_F(Loader, EachFailureShowsItsMessageUnderBmpUnitAndGivesNoPixels) {
    const int descriptors = OpenDescriptors();

    seam::TakeMessageBoxes();
    std::int32_t width = 0, height = 0;
    EXPECT_TRUE(LoadBMP("DATA\\Textures\\none.bmp", width, height).empty());
    EXPECT_EQ(seam::TakeMessages(MB_OK),
              Boxes{"BMP Unit: Error opening \"DATA\\Textures\\none.bmp"});

    BmpBuilder palette = BmpBuilder::Plain(4, 2);
    palette.ColorsUsed = 4;
    palette.Body.resize(15);
    BmpBuilder data = BmpBuilder::Plain(4, 2);
    data.Body.pop_back();
    BmpBuilder deep = BmpBuilder::Plain(4, 2);
    deep.BitCount = 32;
    BmpBuilder tiny = BmpBuilder::Plain(4, 2);
    std::vector<std::uint8_t> tinyBytes = tiny.Bytes();
    tinyBytes.resize(20);
    const std::pair<std::vector<std::uint8_t>, std::string> cases[] = {
        {palette.Bytes(), "Error reading palette"},
        {data.Bytes(), "Error reading bitmap data"},
        {deep.Bytes(), "Unsupported bitmap \"DATA\\Textures\\t.bmp\": it has 32 bits per pixel; "
                       "only 24-bit images are supported."},
        {tinyBytes, "Unsupported bitmap \"DATA\\Textures\\t.bmp\": only 20 of its 54 header "
                    "bytes could be read."},
    };
    for (const auto& [bytes, text] : cases) {
        Boxes boxes;
        EXPECT_TRUE(Load(bytes, boxes, width, height).empty()) << text;
        EXPECT_EQ(boxes, Boxes{std::string("BMP Unit: ") + text});
    }
    // The file is closed on every way out.
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(Loader, LoadTextureMakesAMipmappedLinearTextureOfThePixels) {
    WriteFile("DATA/Textures/t.bmp", BmpBuilder::Plain(8, 4).Bytes());
    gltest::Record();
    gltest::NextTexture = 7;
    const GLuint name = LoadTexture("DATA\\Textures\\t.bmp");
    EXPECT_EQ(name, 7u) << "the name glGenTextures gave";
    const gltest::Followed f = gltest::Follow(gltest::Calls);
    ASSERT_EQ(f.Textures.count(name), 1u);
    const gltest::Texture& t = f.Textures.at(name);
    EXPECT_EQ(t.Parameters, (std::map<double, double>{{GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                                                      {GL_TEXTURE_MIN_FILTER, GL_LINEAR}}));
    EXPECT_EQ(t.Image, (std::vector<double>{GL_TEXTURE_2D, 3, 8, 4, GL_RGB, GL_UNSIGNED_BYTE}));
    // Red-green-blue, the first stored row as texture row 0.
    std::vector<std::uint8_t> pixels = BmpBuilder::Pattern(8, 4);
    for (std::size_t i = 0; i < pixels.size(); i += 3) {
        std::swap(pixels[i], pixels[i + 2]);
    }
    EXPECT_EQ(t.Pixels, std::vector<double>(pixels.begin(), pixels.end()));
    EXPECT_EQ(f.EnvMode, GL_MODULATE) << "the sprites' colours tint the texture";
    EXPECT_TRUE(seam::TakeMessageBoxes().empty());
}

TEST_F(LoaderDeathTest, AFileThatCannotBeOpenedEndsTheProgramWithCode1) {
    EXPECT_EXIT(LoadTexture("DATA\\Textures\\missing.bmp"), ::testing::ExitedWithCode(1),
                "BMP Unit: Error opening \"DATA\\\\Textures\\\\missing\\.bmp\n"
                "Loading Textures: Unable to load DATA\\\\Textures\\\\missing\\.bmp");
}

TEST_F(LoaderDeathTest, ARejectedFileEndsTheProgramWithCode1) {
    BmpBuilder b = BmpBuilder::Plain(4, 2);
    b.Width = 6;
    WriteFile("odd.bmp", b.Bytes());
    EXPECT_EXIT(
        LoadTexture("odd.bmp"), ::testing::ExitedWithCode(1),
        "BMP Unit: Unsupported bitmap \"odd\\.bmp\": its width 6 is not a multiple of 4[^\n]*\n"
        "Loading Textures: Unable to load odd\\.bmp");
}
