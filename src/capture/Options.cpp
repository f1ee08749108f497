// The command line of particles-capture.
#include "capture/Options.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>

namespace capture {
namespace {

// The clock's readings: any 32-bit count, signed or unsigned, kept modulo 2^32 like the counter's.
constexpr long long MinTime = -2147483648LL;
constexpr long long MaxTime = 4294967295LL;

// Whole decimal numbers only: no sign unless allowed, no spaces, no exponent, no hex. `field`
// takes the value, modulo 2^32 as a clock reading is, only when it is from `low` to `high`.
template <typename T> bool ParseWhole(const char* text, long long low, long long high, T& field) {
    long long value = 0;
    const char* end = text + std::strlen(text);
    const std::from_chars_result r = std::from_chars(text, end, value);
    if (r.ec != std::errc() || r.ptr != end || value < low || value > high) {
        return false;
    }
    field = static_cast<T>(static_cast<std::uint32_t>(value));
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
    for (int c = std::getc(file); error.empty() && (c != EOF || !line.empty());
         c = std::getc(file)) {
        if (c == '\r') {
            continue;
        }
        if (c != '\n' && c != EOF) {
            if (line.size() == MaxTimeLine) {
                error = name + ":" + std::to_string(number + 1) + ": line too long";
            }
            line.push_back(static_cast<char>(c));
            continue;
        }
        ++number;
        // Spaces and tabs around the time are allowed.
        line.erase(0, line.find_first_not_of(" \t"));
        line.erase(line.find_last_not_of(" \t") + 1);
        std::int32_t ms = 0;
        if (line.empty() || line[0] == '#') {
            // nothing on this line
        } else if (!ParseWhole(line.c_str(), MinTime, MaxTime, ms)) {
            error = name + ":" + std::to_string(number) + ": \"" + line +
                    "\" is not a time in milliseconds";
        } else if (times.size() == MaxTimes) {
            error = name + ": more than " + std::to_string(MaxTimes) + " times";
        } else {
            times.push_back(ms);
        }
        line.clear();
        if (c == EOF) {
            break;
        }
    }
    if (error.empty() && std::ferror(file)) {
        error = "cannot read the times file " + name + ": " + std::strerror(errno);
    }
    std::fclose(file);
    if (error.empty() && times.empty()) {
        error = "the times file " + name + " holds no time";
    }
    return error.empty();
}

// An option: its name, what an error says of a bad value, what takes the value (false: bad).
struct OptionRule {
    const char* Name;
    const char* Bad;
    std::function<bool(const char*)> Take;
};

// A whole number from `low` to `high` into `field`.
template <typename T> auto Whole(T& field, long long low, long long high) {
    return [&field, low, high](const char* text) { return ParseWhole(text, low, high, field); };
}

// A text that may not be empty into `field`.
auto Text(std::string& field) {
    return [&field](const char* text) { return !field.assign(text).empty(); };
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

Parsed ParseOptions(int argc, const char* const* argv, Options& o, std::string& error) {
    o = Options();
    std::set<std::string> given;
    std::string timesFile;
    const char* const count = "not a whole number from 1 to 1000000000";
    const OptionRule rules[] = {
        {"--seed", "not a whole number from 0 to 4294967295", Whole(o.Seed, 0, 4294967295LL)},
        {"--start-ms", "not a 32-bit count of milliseconds", Whole(o.StartMs, MinTime, MaxTime)},
        {"--step-ms", "not a whole number of milliseconds from 0 to 86400000",
         Whole(o.StepMs, 0, 86400000)},
        {"--times", "no file name", Text(timesFile)},
        {"--frames", count, Whole(o.Frames, 1, 1000000000)},
        {"--every", count, Whole(o.Every, 1, 1000000000)},
        {"--first", count, Whole(o.First, 1, 1000000000)},
        {"--out", "no path", Text(o.OutDir)},
        {"--state", "no path", Text(o.StateFile)},
        {"--animation", "no path", Text(o.AnimationFile)},
        {"--quality", "not a whole number from 0 to 100", Whole(o.Quality, 0, 100)},
    };
    const auto failed = [&error](std::string text) {
        error = std::move(text);
        return Parsed::Error;
    };

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
        const OptionRule* rule = nullptr;
        for (const OptionRule& r : rules) {
            rule = name == r.Name ? &r : rule;
        }
        if (!rule) {
            return failed("unknown option " + name);
        }
        if (!argument && i + 1 >= argc) {
            return failed(name + " needs a value");
        }
        argument = argument ? argument : argv[++i];
        if (!rule->Take(argument)) {
            return failed(name + " " + argument + ": " + rule->Bad);
        }
        given.insert(name);
    }

    const bool step = given.count("--step-ms") > 0, frames = given.count("--frames") > 0;
    if (!given.count("--seed")) {
        return failed("--seed is missing");
    }
    if (step == !timesFile.empty()) {
        return failed(step ? "--step-ms and --times exclude each other"
                           : "--step-ms or --times is missing");
    }
    if (step && !frames) {
        return failed("--frames is missing");
    }
    if (o.OutDir.empty() && o.StateFile.empty() && o.AnimationFile.empty()) {
        return failed("nothing to write: give --out, --state or --animation");
    }
    if (!timesFile.empty()) {
        if (!ReadTimes(timesFile, o.Times, error)) {
            return Parsed::Error;
        }
        if (!frames) {
            o.Frames = static_cast<std::uint32_t>(o.Times.size());
        } else if (o.Frames > o.Times.size()) {
            return failed("--frames " + std::to_string(o.Frames) + ": " + timesFile +
                          " holds only " + std::to_string(o.Times.size()) + " times");
        }
    }
    // The first written frame: the first multiple of Every from First on.
    const std::uint64_t first =
        (static_cast<std::uint64_t>(o.First) + o.Every - 1) / o.Every * o.Every;
    if (first > o.Frames) {
        return failed("--every " + std::to_string(o.Every) + " from frame " +
                      std::to_string(o.First) + " writes none of the " + std::to_string(o.Frames) +
                      " frames");
    }
    return Parsed::Run;
}

} // namespace capture
