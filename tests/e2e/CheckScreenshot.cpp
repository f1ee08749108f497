// Checks a screenshot of the demo: a mostly black picture with the flame's hues (blue, yellow,
// red) on one half and the spray's red-with-half-blue on the other.
//
//   check-screenshot FILE.ppm FLAME-SIDE [WxH DESKTOP.ppm]     (FLAME-SIDE: left or right)
//
// With WxH, the screenshot is of a whole output that shows a WxH mode as a monitor would: the
// picture is the part that the mode fills with its aspect kept, centred; besides the scene in it,
// the origin's white marker must be at the output's centre, nothing may be lit in the bars, and
// (DESKTOP.ppm being the output before the program ran) the desktop must not show through.
//
// Prints what it counted; exit status 0 when the picture passes, 1 when not, 2 on bad input.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
enum Hue { Other, Black, Blue, Yellow, Red, Magenta };

Hue HueOf(const unsigned char* p) {
    const int r = p[0], g = p[1], b = p[2];
    if (r < 24 && g < 24 && b < 24) {
        return Black;
    } else if (b >= 96 && b > r + 48 && g < b) {
        return Blue;
    } else if (r >= 128 && g * 2 >= r && b * 2 < g) {
        return Yellow;
    } else if (r >= 96 && g * 20 < r * 9 && b * 4 < r) {
        return Red;
    } else if (r >= 64 && g * 10 < r * 3 && b * 10 >= r * 3 && b * 10 <= r * 11) {
        return Magenta;
    }
    return Other;
}

void Classify(const unsigned char* p, Counts& c) {
    ++c.total;
    long* counts[] = {nullptr, &c.black, &c.blue, &c.yellow, &c.red, &c.magenta};
    if (long* n = counts[HueOf(p)]) {
        ++*n;
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

struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels; // RGB, top row first

    const unsigned char* At(int x, int y) const {
        return &pixels[(static_cast<std::size_t>(y) * width + x) * 3];
    }
};

bool Read(const char* path, Image& image) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> image.width >> image.height >> maxValue;
    in.get();
    if (!in || magic != "P6" || image.width < 2 || image.height < 1 || maxValue != 255) {
        std::fprintf(stderr, "check-screenshot: %s is not an 8-bit binary PPM\n", path);
        return false;
    }
    image.pixels.resize(static_cast<std::size_t>(image.width) * image.height * 3);
    if (!in.read(reinterpret_cast<char*>(image.pixels.data()),
                 static_cast<std::streamsize>(image.pixels.size()))) {
        std::fprintf(stderr, "check-screenshot: %s is cut short\n", path);
        return false;
    }
    return true;
}

struct Rect {
    int x, y, width, height;
};

// Where a monitor shows a mode of w x h on `out`: the limiting side filled, the other centred.
Rect Fit(int w, int h, const Image& out) {
    Rect r{0, 0, out.width, out.height};
    if (static_cast<long>(out.width) * h > static_cast<long>(out.height) * w) {
        r.width = static_cast<int>(static_cast<long>(out.height) * w / h);
    } else {
        r.height = static_cast<int>(static_cast<long>(out.width) * h / w);
    }
    r.x = (out.width - r.width) / 2;
    r.y = (out.height - r.height) / 2;
    return r;
}

// The output-wide checks of a mode shown on a larger output.
bool CheckOutput(const Image& shot, const Rect& r, const Image& desktop) {
    // Scaling may spread the picture's edge by a pixel; the bars proper start beyond that.
    long lit = 0, bars = 0, seeThrough = 0;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const unsigned char* p = shot.At(x, y);
            const bool inBar =
                x < r.x - 1 || x > r.x + r.width || y < r.y - 1 || y > r.y + r.height;
            if (inBar) {
                ++bars;
                lit += p[0] > 8 || p[1] > 8 || p[2] > 8;
            }
            const unsigned char* d = desktop.At(x, y);
            const bool desktopDark = d[0] < 24 && d[1] < 24 && d[2] < 24;
            seeThrough += !desktopDark && std::abs(p[0] - d[0]) <= 6 &&
                          std::abs(p[1] - d[1]) <= 6 && std::abs(p[2] - d[2]) <= 6;
        }
    }
    // The flame's young (blue) particles and the spray stand a fixed distance apart for the
    // picture's height (0.25 in the replay's golden frame): a picture stretched wider shows more.
    std::vector<int> blue, magenta;
    for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = r.x; x < r.x + r.width; ++x) {
            const Hue hue = HueOf(shot.At(x, y));
            if (hue == Blue || hue == Magenta) {
                (hue == Blue ? blue : magenta).push_back(x);
            }
        }
    }
    double apart = 0;
    if (!blue.empty() && !magenta.empty()) {
        std::nth_element(blue.begin(), blue.begin() + blue.size() / 2, blue.end());
        std::nth_element(magenta.begin(), magenta.begin() + magenta.size() / 2, magenta.end());
        apart = std::abs(blue[blue.size() / 2] - magenta[magenta.size() / 2]) /
                static_cast<double>(r.height);
    }
    // The origin's single white pixel, scaled, near the output's centre.
    int marker = 0;
    for (int y = shot.height / 2 - 3; y <= shot.height / 2 + 3; ++y) {
        for (int x = shot.width / 2 - 3; x <= shot.width / 2 + 3; ++x) {
            const unsigned char* p = shot.At(x, y);
            marker = std::max(marker, std::min({p[0], p[1], p[2]}) + 0);
        }
    }
    std::printf("output %dx%d, picture %dx%d at (%d, %d): %ld of %ld bar pixels lit, %ld pixels "
                "of the desktop, origin marker %d, the systems %.3f heights apart\n",
                shot.width, shot.height, r.width, r.height, r.x, r.y, lit, bars, seeThrough, marker,
                apart);
    bool ok = Expect(lit == 0, "nothing is lit in the bars");
    ok &= Expect(seeThrough * 1000 <= static_cast<long>(shot.width) * shot.height,
                 "the desktop does not show through");
    ok &= Expect(marker >= 64, "the origin marker is at the output's centre");
    ok &= Expect(apart > 0.21 && apart < 0.29, "the picture keeps the mode's aspect");
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if ((argc != 3 && argc != 5) ||
        (std::strcmp(argv[2], "left") != 0 && std::strcmp(argv[2], "right") != 0)) {
        std::fprintf(stderr, "usage: check-screenshot FILE.ppm left|right [WxH DESKTOP.ppm]\n");
        return 2;
    }
    Image shot, desktop;
    int modeWidth = 0, modeHeight = 0;
    if (!Read(argv[1], shot)) {
        return 2;
    }
    Rect r{0, 0, shot.width, shot.height};
    if (argc == 5) {
        if (std::sscanf(argv[3], "%dx%d", &modeWidth, &modeHeight) != 2 || modeWidth < 2 ||
            modeHeight < 1 || !Read(argv[4], desktop) || desktop.width != shot.width ||
            desktop.height != shot.height) {
            std::fprintf(stderr, "check-screenshot: bad mode or desktop\n");
            return 2;
        }
        r = Fit(modeWidth, modeHeight, shot);
    }

    Counts left, right;
    for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = r.x; x < r.x + r.width; ++x) {
            const unsigned char* p = shot.At(x, y);
            Classify(p, x < r.x + r.width / 2 ? left : right);
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
    if (argc == 5) {
        ok &= CheckOutput(shot, r, desktop);
    }
    return ok ? 0 : 1;
}
