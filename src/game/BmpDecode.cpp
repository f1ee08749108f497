// Decoding of the 24-bit BMP sprites.
#include "game/BmpDecode.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace bmp {
namespace {

// The largest piece read at once while skipping or before any pixel byte has arrived; later
// pieces grow with what has arrived, so memory stays proportional to the real data.
constexpr std::size_t Chunk = 1 << 16;

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::int32_t I32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(U32(p));
}

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// Reads and drops `count` bytes through a small scratch buffer; false if they do not all arrive.
bool Skip(ByteSource& in, std::uint64_t count) {
    if (count == 0) {
        return true;
    }
    std::vector<std::uint8_t> scratch(
        static_cast<std::size_t>(std::min<std::uint64_t>(count, Chunk)));
    while (count > 0) {
        const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(count, scratch.size()));
        if (in.Read(scratch.data(), piece) != piece) {
            return false;
        }
        count -= piece;
    }
    return true;
}

// Reads exactly `count` bytes into `out`, growing it only as the bytes arrive.
bool ReadAll(ByteSource& in, std::vector<std::uint8_t>& out, std::size_t count) {
    out.clear();
    while (out.size() < count) {
        const std::size_t have = out.size();
        const std::size_t piece = std::min(count - have, std::max(Chunk, have));
        out.resize(have + piece);
        const std::size_t got = in.Read(out.data() + have, piece);
        if (got != piece) {
            out.clear();
            out.shrink_to_fit();
            return false;
        }
    }
    return true;
}

Result Reject(std::string reason) {
    Result r;
    r.Error = Failure::Rejected;
    r.Reason = std::move(reason);
    return r;
}

Result Fail(Failure error) {
    Result r;
    r.Error = error;
    return r;
}

} // namespace

std::size_t MemorySource::Read(std::uint8_t* out, std::size_t count) {
    const std::size_t n = std::min(count, Size - Position);
    if (n > 0) {
        std::memcpy(out, Data + Position, n);
        Position += n;
    }
    return n;
}

namespace {

Result DecodeImage(ByteSource& in) {
    std::uint8_t header[HeadersSize] = {};
    // Two reads, as the file holds two headers; only the info header's fields matter.
    std::size_t got = in.Read(header, FileHeaderSize);
    if (got == FileHeaderSize) {
        got += in.Read(header + FileHeaderSize, InfoHeaderSize);
    }
    if (got != HeadersSize) {
        return Reject("only " + std::to_string(got) + " of its 54 header bytes could be read");
    }
    const std::uint8_t* info = header + FileHeaderSize;
    const std::int32_t width = I32(info + 4);
    const std::int32_t height = I32(info + 8);
    const std::uint16_t bitCount = U16(info + 14);
    const std::uint32_t compression = U32(info + 16);
    const std::uint32_t sizeImage = U32(info + 20);
    const std::uint32_t colorsUsed = U32(info + 32);

    if (bitCount != 24) {
        return Reject("it has " + std::to_string(bitCount) +
                      " bits per pixel; only 24-bit images are supported");
    }
    if (compression != 0) {
        return Reject("it is compressed (method " + std::to_string(compression) +
                      "); only uncompressed images are supported");
    }
    if (width < 1 || height < 1) {
        return Reject("its size is " + std::to_string(width) + " x " + std::to_string(height) +
                      "; width and height must be at least 1 (top-down images are not supported)");
    }
    if (width % 4 != 0) {
        return Reject("its width " + std::to_string(width) +
                      " is not a multiple of 4 (rows with padding are not supported)");
    }
    // The pixel count goes to OpenGL and to SwapRedBlue as a 32-bit int, the byte count too.
    const std::uint64_t pixelCount = static_cast<std::uint64_t>(width) * height;
    constexpr std::uint64_t MaxBytes = std::numeric_limits<std::int32_t>::max();
    if (pixelCount > MaxBytes / 3) {
        return Reject("its size " + std::to_string(width) + " x " + std::to_string(height) +
                      " is too large");
    }
    const std::size_t needed = static_cast<std::size_t>(pixelCount * 3);
    if (sizeImage != 0 && sizeImage < needed) {
        return Reject("its image size field says " + std::to_string(sizeImage) +
                      " bytes, fewer than the " + std::to_string(needed) + " that " +
                      std::to_string(width) + " x " + std::to_string(height) + " pixels take");
    }

    // The colour table is of no use for 24-bit pixels: skipped. No file with a 32-bit size field
    // can hold more than 2^32 bytes, so a larger table cannot be there at all.
    const std::uint64_t paletteBytes = 4 * static_cast<std::uint64_t>(colorsUsed);
    if (HeadersSize + paletteBytes > std::numeric_limits<std::uint32_t>::max() ||
        !Skip(in, paletteBytes)) {
        return Fail(Failure::Palette);
    }

    Result r;
    r.Width = width;
    r.Height = height;
    if (!ReadAll(in, r.Pixels, needed) || !Skip(in, sizeImage > needed ? sizeImage - needed : 0)) {
        return Fail(Failure::BitmapData);
    }
    SwapRedBlue(r.Pixels.data(), static_cast<std::int32_t>(pixelCount));
    return r;
}

} // namespace

Result Decode(ByteSource& in) {
    // The buffers grow only as bytes arrive, but a large enough image still outgrows memory.
    try {
        return DecodeImage(in);
    } catch (const std::bad_alloc&) {
        return Fail(Failure::Memory);
    }
}

Result Decode(const std::uint8_t* data, std::size_t size) {
    MemorySource in(data, size);
    return Decode(in);
}

} // namespace bmp

void SwapRedBlue(std::uint8_t* pixels, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) {
        std::swap(pixels[3 * static_cast<std::size_t>(i)],
                  pixels[3 * static_cast<std::size_t>(i) + 2]);
    }
}
