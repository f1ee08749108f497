// The saved display modes as words, and the guard's wait on its pipe (see SavedModes.h).
#include "platform/sdl/SavedModes.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

namespace {

// Far more than any X server has; bounds what a malformed argument list can ask for.
constexpr long long MaxCount = 256;

// Reads decimal words in turn, each within its bounds.
class WordReader {
  public:
    explicit WordReader(const std::vector<std::string>& words) : words_(words) {}

    template <typename T> bool Next(T& value, long long min, long long max) {
        if (next_ >= words_.size()) {
            return false;
        }
        const std::string& word = words_[next_++];
        const std::size_t digits = word.size() - (word.rfind('-', 0) == 0 ? 1 : 0);
        if (digits == 0 || digits > 18 ||
            word.find_first_not_of("0123456789", word.size() - digits) != std::string::npos) {
            return false;
        }
        const long long parsed = std::strtoll(word.c_str(), nullptr, 10);
        if (parsed < min || parsed > max) {
            return false;
        }
        value = static_cast<T>(parsed);
        return true;
    }

    bool AtEnd() const { return next_ == words_.size(); }

  private:
    const std::vector<std::string>& words_;
    std::size_t next_ = 0;
};

constexpr long long MaxInt = 0x7fffffff, MinInt = -MaxInt - 1, MaxXid = 0xffffffff;

} // namespace

std::vector<std::string> ModesToWords(const SavedModes& modes) {
    std::vector<std::string> words;
    for (int size : {modes.width, modes.height, modes.widthMm, modes.heightMm}) {
        words.push_back(std::to_string(size));
    }
    words.push_back(std::to_string(modes.crtcs.size()));
    for (const SavedCrtc& crtc : modes.crtcs) {
        words.push_back(std::to_string(crtc.id));
        words.push_back(std::to_string(crtc.mode));
        words.push_back(std::to_string(crtc.x));
        words.push_back(std::to_string(crtc.y));
        words.push_back(std::to_string(crtc.rotation));
        words.push_back(std::to_string(crtc.outputs.size()));
        for (unsigned long output : crtc.outputs) {
            words.push_back(std::to_string(output));
        }
    }
    return words;
}

bool ModesFromWords(const std::vector<std::string>& words, SavedModes& modes) {
    WordReader read(words);
    modes = SavedModes{};
    std::size_t count = 0;
    if (!read.Next(modes.width, 1, MaxInt) || !read.Next(modes.height, 1, MaxInt) ||
        !read.Next(modes.widthMm, 0, MaxInt) || !read.Next(modes.heightMm, 0, MaxInt) ||
        !read.Next(count, 0, MaxCount)) {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        SavedCrtc crtc;
        std::size_t outputs = 0;
        if (!read.Next(crtc.id, 1, MaxXid) || !read.Next(crtc.mode, 1, MaxXid) ||
            !read.Next(crtc.x, MinInt, MaxInt) || !read.Next(crtc.y, MinInt, MaxInt) ||
            !read.Next(crtc.rotation, 0, 0xffff) || !read.Next(outputs, 0, MaxCount)) {
            return false;
        }
        crtc.outputs.resize(outputs);
        for (unsigned long& output : crtc.outputs) {
            if (!read.Next(output, 1, MaxXid)) {
                return false;
            }
        }
        modes.crtcs.push_back(crtc);
    }
    return read.AtEnd();
}

GuardVerdict AwaitProgram(int fd) {
    for (;;) {
        char bytes[64];
        const ssize_t got = ::read(fd, bytes, sizeof bytes);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return GuardVerdict::Abandoned;
        }
        for (ssize_t i = 0; i < got; ++i) {
            if (bytes[i] == GuardReleased) {
                return GuardVerdict::Released;
            }
        }
    }
}

} // namespace platform
