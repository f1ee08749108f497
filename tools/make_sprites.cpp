// Writes the two particle sprites: 64 x 64 soft round glows on black, 24-bit uncompressed BMP.
//
// Usage: make_sprites OUTPUT_DIRECTORY (writes particle.bmp and particle1.bmp there).
//
// The sprites are drawn with additive blending and multiplied by the particle's colour, so they
// are grey (the particle supplies the hue), fall smoothly to exactly black well inside the edge
// (no visible square), and keep the brightest texels near the centre.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int Size = 64;

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// Brightness 0..1 at distance d from the centre, in units of the glow's radius: a bell that is
// flat at the centre and reaches zero with zero slope at d = 1. A larger exponent is softer.
double Glow(double d, double exponent) {
    if (d >= 1.0) {
        return 0.0;
    }
    return std::pow(1.0 - d * d, exponent);
}

std::vector<std::uint8_t> MakeBitmap(double exponent) {
    const std::uint32_t pixelBytes = Size * Size * 3;
    std::vector<std::uint8_t> out;
    // File header.
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + pixelBytes);
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, 54);
    // Info header: 24 bits, uncompressed, bottom-up.
    Put32(out, 40);
    Put32(out, Size);
    Put32(out, Size);
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, pixelBytes);
    Put32(out, 2835); // 72 dots per inch
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    // Pixels, bottom row first; the glow is symmetric, so the row order does not show.
    const double centre = Size / 2.0;
    const double radius = Size / 2.0 - 1.0;
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            const double dx = x + 0.5 - centre;
            const double dy = y + 0.5 - centre;
            const double value = Glow(std::sqrt(dx * dx + dy * dy) / radius, exponent);
            const auto byte = static_cast<std::uint8_t>(std::lround(255.0 * value));
            out.push_back(byte); // blue
            out.push_back(byte); // green
            out.push_back(byte); // red
        }
    }
    return out;
}

bool Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "make_sprites: cannot create %s\n", path.c_str());
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "make_sprites: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sprites OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::string directory = argv[1];
    // The spray's sprite (drawn at 20 pixels) and the slightly softer flame sprite (15 pixels),
    // whose many overlapping particles would otherwise saturate into a solid blob.
    const bool ok = Write(directory + "/particle.bmp", MakeBitmap(2.0)) &&
                    Write(directory + "/particle1.bmp", MakeBitmap(3.0));
    return ok ? 0 : 1;
}
