// The committed sprites: loadable by the decoder, and soft round glows on black.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/BmpDecode.h"

namespace {

bmp::Result DecodeFile(const std::string& name) {
    std::ifstream in(std::string(PARTICLES_DATA_DIR) + "/Textures/" + name, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    return bmp::Decode(bytes.data(), bytes.size());
}

int Texel(const bmp::Result& r, int x, int y, int channel) {
    return r.Pixels[(static_cast<std::size_t>(y) * r.Width + x) * 3 + channel];
}

} // namespace

TEST(Sprites, BothAre64By64GreyGlowsFadingToBlackAtTheEdge) {
    for (const char* name : {"particle.bmp", "particle1.bmp"}) {
        SCOPED_TRACE(name);
        const bmp::Result r = DecodeFile(name);
        ASSERT_EQ(r.Error, bmp::Failure::None) << r.Reason;
        EXPECT_EQ(r.Width, 64);
        EXPECT_EQ(r.Height, 64);
        int previous = 256;
        // From the centre outward along a row the glow never brightens and ends in black.
        for (int x = 32; x < 64; ++x) {
            const int value = Texel(r, x, 32, 0);
            EXPECT_LE(value, previous) << x;
            previous = value;
        }
        EXPECT_GE(Texel(r, 32, 32, 0), 240);
        for (int y = 0; y < 64; ++y) {
            for (int x : {0, 63}) {
                EXPECT_EQ(Texel(r, x, y, 0), 0);
                EXPECT_EQ(Texel(r, y, x, 0), 0);
            }
            for (int x = 0; x < 64; ++x) {
                EXPECT_EQ(Texel(r, x, y, 0), Texel(r, x, y, 1));
                EXPECT_EQ(Texel(r, x, y, 1), Texel(r, x, y, 2));
            }
        }
    }
}
