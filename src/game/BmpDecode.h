// Decoding of the 24-bit BMP sprites: bytes in, red-green-blue pixels or a reason out.
//
// Knows nothing of files, message boxes or OpenGL, so that it can be tested and fuzzed alone.
// The bytes are pulled through a ByteSource in the order the file holds them: the two headers,
// the colour table, the pixel data. Nothing is allocated for a size the input merely claims;
// buffers grow only as the bytes actually arrive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bmp {

// Sizes of the two headers: the file header, then the info header.
constexpr std::size_t FileHeaderSize = 14;
constexpr std::size_t InfoHeaderSize = 40;
constexpr std::size_t HeadersSize = FileHeaderSize + InfoHeaderSize;

// Where the bytes come from.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Copies up to `count` bytes to `out` and returns how many arrived; fewer than asked only at
    // the end of the data or on a read error.
    virtual std::size_t Read(std::uint8_t* out, std::size_t count) = 0;
};

// A ByteSource over bytes in memory.
class MemorySource : public ByteSource {
  public:
    MemorySource(const std::uint8_t* data, std::size_t size) : Data(data), Size(size) {}
    std::size_t Read(std::uint8_t* out, std::size_t count) override;

  private:
    const std::uint8_t* Data;
    std::size_t Size;
    std::size_t Position = 0;
};

enum class Failure {
    None,
    Palette,    // the data ends inside the colour table
    BitmapData, // the data ends inside the pixel data
    Rejected,   // the headers describe an image the loader does not take; see Reason
    Memory,     // a buffer for the image could not be allocated
};

struct Result {
    Failure Error = Failure::None;
    // For Failure::Rejected: what is wrong, as an English phrase without a final full stop.
    std::string Reason;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    // On success Width × Height × 3 bytes, red-green-blue, bottom row first; empty on failure.
    // Pixel data beyond that (an image size field larger than needed) is read and dropped.
    std::vector<std::uint8_t> Pixels;
};

// Reads one BMP image from `in`. Accepts exactly the uncompressed 24-bit bottom-up images whose
// width is a multiple of 4 (rows without padding); whatever the signature, bfOffBits and biSize
// say, the pixel data is taken to follow the colour table of biClrUsed entries directly.
Result Decode(ByteSource& in);
Result Decode(const std::uint8_t* data, std::size_t size);

} // namespace bmp

// Turns `count` blue-green-red pixels at `pixels` into red-green-blue, in place.
void SwapRedBlue(std::uint8_t* pixels, std::int32_t count);
