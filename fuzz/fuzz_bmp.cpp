// libFuzzer target: the BMP decoder on arbitrary bytes.
//
// Beyond the sanitizers' checks, every result must be consistent: a decoded image is exactly
// width × height × 3 bytes of the file's pixel data with red and blue exchanged, and a failure
// hands back no pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "game/BmpDecode.h"

namespace {

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const bmp::Result r = bmp::Decode(data, size);
    if (r.Error != bmp::Failure::None) {
        Check(r.Pixels.empty());
        Check((r.Error == bmp::Failure::Rejected) == !r.Reason.empty());
        return 0;
    }
    Check(size >= bmp::HeadersSize);
    Check(r.Width >= 1 && r.Height >= 1 && r.Width % 4 == 0);
    const std::size_t bytes = static_cast<std::size_t>(r.Width) * r.Height * 3;
    Check(r.Pixels.size() == bytes);
    const std::size_t start = bmp::HeadersSize + 4 * static_cast<std::size_t>(U32(data + 46));
    Check(start + bytes <= size);
    const std::uint8_t* stored = data + start;
    for (std::size_t i = 0; i < bytes; i += 3) {
        Check(r.Pixels[i] == stored[i + 2] && r.Pixels[i + 1] == stored[i + 1] &&
              r.Pixels[i + 2] == stored[i]);
    }
    return 0;
}
