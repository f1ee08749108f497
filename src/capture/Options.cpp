// The command line of particles-capture.
#include "capture/Options.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace capture {
namespace {

// Whole decimal numbers only: no sign unless allowed, no spaces, no exponent, no hex.
bool ParseInteger(const char* text, long long low, long long high, long long& value) {
    const char* end = text + std::strlen(text);
    const std::from_chars_result r = std::from_chars(text, end, value);
    return r.ec == std::errc() && r.ptr == end && value >= low && value <= high;
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
        const std::size_t first = line.find_first_not_of(" \t");
        const std::string value =
            first == std::string::npos
                ? std::string()
                : line.substr(first, line.find_last_not_of(" \t") - first + 1);
        line.clear();
        std::int32_t ms = 0;
        if (value.empty() || value[0] == '#') {
            // nothing on this line
        } else if (!ParseTime(value.c_str(), ms)) {
            error = name + ":" + std::to_string(number) + ": \"" + value +
                    "\" is not a time in milliseconds";
        } else if (times.size() == MaxTimes) {
            error = name + ": more than " + std::to_string(MaxTimes) + " times";
        } else {
            times.push_back(ms);
        }
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

// An option: a whole number from Low to High into *Count or *Number, a clock reading into
// *Number (Time), or a text that may not be empty into *Text; what an error says of a bad value.
struct OptionRule {
    const char* Name;
    const char* Bad;
    long long Low;
    long long High;
    std::uint32_t* Count;
    std::int32_t* Number;
    std::string* Text;
    bool* Given;
    bool Time;
};

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
    Options& o = options;
    bool seed = false, step = false, frames = false;
    std::string timesFile;
    const char* const count = "not a whole number from 1 to 1000000000";
    const char* const path = "no path";
    const OptionRule rules[] = {
        {"--seed", "not a whole number from 0 to 4294967295", 0, 4294967295LL, &o.Seed, nullptr,
         nullptr, &seed, false},
        {"--start-ms", "not a 32-bit count of milliseconds", 0, 0, nullptr, &o.StartMs, nullptr,
         nullptr, true},
        {"--step-ms", "not a whole number of milliseconds from 0 to 86400000", 0, 86400000, nullptr,
         &o.StepMs, nullptr, &step, false},
        {"--times", "no file name", 0, 0, nullptr, nullptr, &timesFile, nullptr, false},
        {"--frames", count, 1, 1000000000, &o.Frames, nullptr, nullptr, &frames, false},
        {"--every", count, 1, 1000000000, &o.Every, nullptr, nullptr, nullptr, false},
        {"--first", count, 1, 1000000000, &o.First, nullptr, nullptr, nullptr, false},
        {"--out", path, 0, 0, nullptr, nullptr, &o.OutDir, nullptr, false},
        {"--state", path, 0, 0, nullptr, nullptr, &o.StateFile, nullptr, false},
        {"--animation", path, 0, 0, nullptr, nullptr, &o.AnimationFile, nullptr, false},
        {"--quality", "not a whole number from 0 to 100", 0, 100, nullptr, &o.Quality, nullptr,
         nullptr, false},
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
        for (const OptionRule& s : rules) {
            rule = name == s.Name ? &s : rule;
        }
        if (!rule) {
            return failed("unknown option " + name);
        }
        if (!argument && i + 1 >= argc) {
            return failed(name + " needs a value");
        }
        argument = argument ? argument : argv[++i];
        long long value = 0;
        std::int32_t ms = 0;
        const bool good = rule->Text   ? *argument != '\0'
                          : rule->Time ? ParseTime(argument, ms)
                                       : ParseInteger(argument, rule->Low, rule->High, value);
        if (!good) {
            return failed(name + " " + argument + ": " + rule->Bad);
        }
        if (rule->Text) {
            *rule->Text = argument;
        } else if (rule->Count) {
            *rule->Count = static_cast<std::uint32_t>(value);
        } else {
            *rule->Number = rule->Time ? ms : static_cast<std::int32_t>(value);
        }
        if (rule->Given) {
            *rule->Given = true;
        }
    }

    if (!seed) {
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
