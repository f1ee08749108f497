// Checks a screenshot of the demo: a mostly black picture with the flame's hues (blue, yellow,
// red) on one half and the spray's red-with-half-blue on the other.
//
//   check-screenshot FILE.ppm FLAME-SIDE      (FLAME-SIDE: left or right)
//
// Prints what it counted; exit status 0 when the picture passes, 1 when not, 2 on bad input.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Counts {
    long black = 0, blue = 0, yellow = 0, red = 0, magenta = 0, total = 0;
};

// The hue classes, for 8-bit channels. The sprites are grey and blended additively, so a
// particle's hue survives wherever it is not saturated: blue-dominant for young flame particles,
// red and green together for yellow, red alone for old ones, and red with about half as much blue
// for the spray (its colour is 1, 0, 0.5).
void Classify(int r, int g, int b, Counts& c) {
    ++c.total;
    if (r < 24 && g < 24 && b < 24) {
        ++c.black;
    } else if (b >= 96 && b > r + 48 && g < b) {
        ++c.blue;
    } else if (r >= 128 && g * 2 >= r && b * 2 < g) {
        ++c.yellow;
    } else if (r >= 96 && g * 20 < r * 9 && b * 4 < r) {
        ++c.red;
    } else if (r >= 64 && g * 10 < r * 3 && b * 10 >= r * 3 && b * 10 <= r * 11) {
        ++c.magenta;
    }
}

void Print(const char* name, const Counts& c) {
    std::printf("%s: %ld pixels, %ld black, %ld blue, %ld yellow, %ld red, %ld magenta\n", name,
                c.total, c.black, c.blue, c.yellow, c.red, c.magenta);
}

bool Expect(bool ok, const char* what) {
    std::printf("%s %s\n", ok ? "ok:  " : "FAIL:", what);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[2], "left") != 0 && std::strcmp(argv[2], "right") != 0)) {
        std::fprintf(stderr, "usage: check-screenshot FILE.ppm left|right\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    if (!in || magic != "P6" || width < 2 || height < 1 || maxValue != 255) {
        std::fprintf(stderr, "check-screenshot: %s is not an 8-bit binary PPM\n", argv[1]);
        return 2;
    }
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    if (!in.read(reinterpret_cast<char*>(pixels.data()),
                 static_cast<std::streamsize>(pixels.size()))) {
        std::fprintf(stderr, "check-screenshot: %s is cut short\n", argv[1]);
        return 2;
    }

    Counts left, right;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 3];
            Classify(p[0], p[1], p[2], x < width / 2 ? left : right);
        }
    }
    Print("left half", left);
    Print("right half", right);

    const bool flameLeft = std::strcmp(argv[2], "left") == 0;
    const Counts& flame = flameLeft ? left : right;
    const Counts& spray = flameLeft ? right : left;
    bool ok = true;
    ok &= Expect(left.black + right.black > (left.total + right.total) * 8 / 10,
                 "more than 80% of the picture is black");
    ok &= Expect(flame.blue >= 20, "the flame half shows blue");
    ok &= Expect(flame.yellow >= 20, "the flame half shows yellow");
    ok &= Expect(flame.red >= 20, "the flame half shows red");
    ok &= Expect(spray.magenta >= 100, "the spray half shows red with half blue");
    ok &= Expect(spray.magenta > 2 * flame.magenta, "that colour is mostly in the spray half");
    ok &= Expect(flame.yellow > 4 * spray.yellow, "yellow is mostly in the flame half");
    return ok ? 0 : 1;
}
