// The command line of particles-capture.
#include "capture/Options.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace capture {
namespace {

// Whole decimal numbers only: no sign unless allowed, no spaces, no exponent, no hex.
bool ParseInteger(const char* text, long long low, long long high, long long& value) {
    if (!text || !*text) {
        return false;
    }
    const char* p = text;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    if (!*p) {
        return false;
    }
    unsigned long long magnitude = 0;
    for (; *p; ++p) {
        if (*p < '0' || *p > '9') {
            return false;
        }
        magnitude = magnitude * 10u + static_cast<unsigned>(*p - '0');
        if (magnitude > (1ull << 40)) {
            return false; // far beyond every range below
        }
    }
    value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    return value >= low && value <= high;
}

// A clock reading: any 32-bit count, signed or unsigned, kept modulo 2^32 like the counter's.
bool ParseTime(const char* text, std::int32_t& ms) {
    long long value = 0;
    if (!ParseInteger(text, -2147483648LL, 4294967295LL, value)) {
        return false;
    }
    ms = static_cast<std::int32_t>(static_cast<std::uint32_t>(value & 0xFFFFFFFFLL));
    return true;
}

// Longest line of a times file, and most lines: a file beyond either is not a list of times.
constexpr std::size_t MaxTimeLine = 64;
constexpr std::size_t MaxTimes = 100000000;

// One time a line; blank lines and lines starting with '#' are skipped.
bool ReadTimes(const std::string& name, std::vector<std::int32_t>& times, std::string& error) {
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (!file) {
        error = "cannot read the times file " + name + ": " + std::strerror(errno);
        return false;
    }
    std::string line;
    std::size_t number = 0;
    bool ok = true;
    for (int c = std::getc(file);; c = std::getc(file)) {
        if (c != '\n' && c != EOF) {
            if (c == '\r') {
                continue;
            }
            if (line.size() == MaxTimeLine) {
                error = name + ":" + std::to_string(number + 1) + ": line too long";
                ok = false;
                break;
            }
            line.push_back(static_cast<char>(c));
            continue;
        }
        if (c == EOF && line.empty()) {
            break;
        }
        ++number;
        std::size_t first = line.find_first_not_of(" \t");
        std::size_t last = line.find_last_not_of(" \t");
        const std::string value =
            first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
        line.clear();
        if (!value.empty() && value[0] != '#') {
            std::int32_t ms = 0;
            if (!ParseTime(value.c_str(), ms)) {
                error = name + ":" + std::to_string(number) + ": \"" + value +
                        "\" is not a time in milliseconds";
                ok = false;
                break;
            }
            if (times.size() == MaxTimes) {
                error = name + ": more than " + std::to_string(MaxTimes) + " times";
                ok = false;
                break;
            }
            times.push_back(ms);
        }
        if (c == EOF) {
            break;
        }
    }
    if (ok && std::ferror(file)) {
        error = "cannot read the times file " + name + ": " + std::strerror(errno);
        ok = false;
    }
    std::fclose(file);
    if (ok && times.empty()) {
        error = "the times file " + name + " holds no time";
        ok = false;
    }
    return ok;
}

} // namespace

const char* Usage() {
    return "usage: particles-capture --seed N (--step-ms S --frames N | --times FILE [--frames "
           "N])\n"
           "                         [--start-ms T] [--every K] [--first F]\n"
           "                         [--out DIR] [--state FILE] [--animation FILE [--quality Q]]\n"
           "Runs the demo's scene headless on a fixed seed and a scripted clock, frame by frame.\n"
           "  --seed N          the random generator's seed, 0 to 4294967295\n"
           "  --start-ms T      the clock when the scene is built (default 0)\n"
           "  --step-ms S       frame k reads the clock at T + k * S ms, S from 0 to 86400000\n"
           "  --times FILE      or: one clock reading in ms a line for each frame, in order\n"
           "  --frames N        how many frames to run (with --times: the first N; default all)\n"
           "  --every K         write frames K, 2K, 3K, ... (default 1: every frame)\n"
           "  --first F         but none before frame F (default 1)\n"
           "  --out DIR         the written frames as DIR/frame-NNNNNN.png, 1024 x 768\n"
           "  --state FILE      the particles and the generator after each written frame\n"
           "  --animation FILE  the written frames as one animated WebP image\n"
           "  --quality Q       the animation's lossy quality, 0 to 100 (default 80)\n"
           "The sprites are read from DATA\\Textures in the current directory, as the demo does.\n"
           "Exit status: 0 done, 1 a file could not be read or written, 2 bad options.\n";
}

Parsed ParseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
    options = Options();
    bool haveSeed = false;
    bool haveStep = false;
    bool haveFrames = false;
    std::string timesFile;
    long long value = 0;

    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        const char* argument = nullptr;
        // Both "--name value" and "--name=value".
        const std::size_t equals = name.find('=');
        if (name.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            argument = argv[i] + equals + 1;
            name.resize(equals);
        }
        if (name == "--help" || name == "-h") {
            return Parsed::Help;
        }
        static const char* const known[] = {"--seed",      "--start-ms", "--step-ms", "--times",
                                            "--frames",    "--every",    "--out",     "--state",
                                            "--animation", "--quality",  "--first"};
        bool isKnown = false;
        for (const char* k : known) {
            isKnown = isKnown || name == k;
        }
        if (!isKnown) {
            error = "unknown option " + name;
            return Parsed::Error;
        }
        if (!argument) {
            if (i + 1 >= argc) {
                error = name + " needs a value";
                return Parsed::Error;
            }
            argument = argv[++i];
        }
        const auto bad = [&](const char* what) {
            error = name + " " + argument + ": " + what;
            return Parsed::Error;
        };

        if (name == "--seed") {
            if (!ParseInteger(argument, 0, 4294967295LL, value)) {
                return bad("not a whole number from 0 to 4294967295");
            }
            options.Seed = static_cast<std::uint32_t>(value);
            haveSeed = true;
        } else if (name == "--start-ms") {
            if (!ParseTime(argument, options.StartMs)) {
                return bad("not a 32-bit count of milliseconds");
            }
        } else if (name == "--step-ms") {
            if (!ParseInteger(argument, 0, 86400000, value)) {
                return bad("not a whole number of milliseconds from 0 to 86400000");
            }
            options.StepMs = static_cast<std::int32_t>(value);
            haveStep = true;
        } else if (name == "--times") {
            if (!*argument) {
                return bad("no file name");
            }
            timesFile = argument;
        } else if (name == "--frames") {
            if (!ParseInteger(argument, 1, 1000000000, value)) {
                return bad("not a whole number from 1 to 1000000000");
            }
            options.Frames = static_cast<std::uint32_t>(value);
            haveFrames = true;
        } else if (name == "--every") {
            if (!ParseInteger(argument, 1, 1000000000, value)) {
                return bad("not a whole number from 1 to 1000000000");
            }
            options.Every = static_cast<std::uint32_t>(value);
        } else if (name == "--first") {
            if (!ParseInteger(argument, 1, 1000000000, value)) {
                return bad("not a whole number from 1 to 1000000000");
            }
            options.First = static_cast<std::uint32_t>(value);
        } else if (name == "--quality") {
            if (!ParseInteger(argument, 0, 100, value)) {
                return bad("not a whole number from 0 to 100");
            }
            options.Quality = static_cast<int>(value);
        } else {
            if (!*argument) {
                return bad("no path");
            }
            (name == "--out"     ? options.OutDir
             : name == "--state" ? options.StateFile
                                 : options.AnimationFile) = argument;
        }
    }

    if (!haveSeed) {
        error = "--seed is missing";
        return Parsed::Error;
    }
    if (haveStep == !timesFile.empty()) {
        error = haveStep ? "--step-ms and --times exclude each other"
                         : "--step-ms or --times is missing";
        return Parsed::Error;
    }
    if (haveStep && !haveFrames) {
        error = "--frames is missing";
        return Parsed::Error;
    }
    if (options.OutDir.empty() && options.StateFile.empty() && options.AnimationFile.empty()) {
        error = "nothing to write: give --out, --state or --animation";
        return Parsed::Error;
    }
    if (!timesFile.empty()) {
        if (!ReadTimes(timesFile, options.Times, error)) {
            return Parsed::Error;
        }
        if (!haveFrames) {
            options.Frames = static_cast<std::uint32_t>(options.Times.size());
        } else if (options.Frames > options.Times.size()) {
            error = "--frames " + std::to_string(options.Frames) + ": " + timesFile +
                    " holds only " + std::to_string(options.Times.size()) + " times";
            return Parsed::Error;
        }
    }
    // The first written frame: the first multiple of Every from First on.
    const std::uint64_t first = (static_cast<std::uint64_t>(options.First) + options.Every - 1) /
                                options.Every * options.Every;
    if (first > options.Frames) {
        error = "--every " + std::to_string(options.Every) + " from frame " +
                std::to_string(options.First) + " writes none of the " +
                std::to_string(options.Frames) + " frames";
        return Parsed::Error;
    }
    return Parsed::Run;
}

} // namespace capture
