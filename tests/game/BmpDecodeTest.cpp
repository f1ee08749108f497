// The BMP decoder: what it accepts, where it stops, what it rejects, and what it never reads.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include <gtest/gtest.h>

#include "BmpBuilder.h"
#include "game/BmpDecode.h"

namespace {

bmp::Result Decode(const std::vector<std::uint8_t>& bytes) {
    return bmp::Decode(bytes.data(), bytes.size());
}

// A source over memory that remembers how much each read asked for.
class RecordingSource : public bmp::ByteSource {
  public:
    explicit RecordingSource(std::vector<std::uint8_t> bytes) : Bytes(std::move(bytes)) {}
    std::size_t Read(std::uint8_t* out, std::size_t count) override {
        Requests.push_back(count);
        const std::size_t n = std::min(count, Bytes.size() - Position);
        std::memcpy(out, Bytes.data() + Position, n);
        Position += n;
        return n;
    }
    std::vector<std::uint8_t> Bytes;
    std::size_t Position = 0;
    std::vector<std::size_t> Requests;
};

// The pattern with blue and red exchanged: what the decoder hands back.
std::vector<std::uint8_t> Swapped(std::vector<std::uint8_t> bytes) {
    for (std::size_t i = 0; i + 2 < bytes.size(); i += 3) {
        std::swap(bytes[i], bytes[i + 2]);
    }
    return bytes;
}

void ExpectRejected(const BmpBuilder& b, const char* reasonPart) {
    const bmp::Result r = Decode(b.Bytes());
    EXPECT_EQ(r.Error, bmp::Failure::Rejected);
    EXPECT_NE(r.Reason.find(reasonPart), std::string::npos) << r.Reason;
    EXPECT_TRUE(r.Pixels.empty());
}

} // namespace

TEST(BmpDecode, ReadsA24BitImageAsRedGreenBlueBottomRowFirst) {
    BmpBuilder b = BmpBuilder::Plain(4, 2);
    b.Body[0] = 0x10; // blue
    b.Body[1] = 0x20; // green
    b.Body[2] = 0x30; // red
    const bmp::Result r = Decode(b.Bytes());
    ASSERT_EQ(r.Error, bmp::Failure::None);
    EXPECT_EQ(r.Width, 4);
    EXPECT_EQ(r.Height, 2);
    ASSERT_EQ(r.Pixels.size(), 24u);
    EXPECT_EQ(r.Pixels[0], 0x30);
    EXPECT_EQ(r.Pixels[1], 0x20);
    EXPECT_EQ(r.Pixels[2], 0x10);
    // Row 0 of the result is the first stored row; nothing is flipped or padded.
    const std::vector<std::uint8_t> expected = Swapped(b.Body);
    EXPECT_EQ(r.Pixels, expected);
}

TEST(BmpDecode, ImageSizeZeroLoadsLikeTheExactSize) {
    BmpBuilder zero = BmpBuilder::Plain(8, 3);
    BmpBuilder exact = zero;
    exact.SizeImage = 8 * 3 * 3;
    const bmp::Result a = Decode(zero.Bytes());
    const bmp::Result b = Decode(exact.Bytes());
    ASSERT_EQ(a.Error, bmp::Failure::None);
    ASSERT_EQ(b.Error, bmp::Failure::None);
    EXPECT_EQ(a.Pixels, b.Pixels);
    EXPECT_EQ(a.Pixels, Swapped(zero.Body));
}

TEST(BmpDecode, LargerImageSizeMustBePresentButOnlyTheImageIsKept) {
    BmpBuilder b = BmpBuilder::Plain(4, 2);
    b.SizeImage = 24 + 10;
    b.Body.resize(34, 0xEE);
    const bmp::Result r = Decode(b.Bytes());
    ASSERT_EQ(r.Error, bmp::Failure::None);
    EXPECT_EQ(r.Pixels, Swapped(BmpBuilder::Pattern(4, 2)));

    b.Body.pop_back(); // one byte of the surplus missing
    EXPECT_EQ(Decode(b.Bytes()).Error, bmp::Failure::BitmapData);
}

TEST(BmpDecode, SignatureOffsetFieldAndTrailingBytesAreIgnored) {
    BmpBuilder b = BmpBuilder::Plain(4, 1);
    b.Signature[0] = 'X';
    b.Signature[1] = '?';
    b.OffBits = 1000;
    b.Body.push_back(0x55);
    const bmp::Result r = Decode(b.Bytes());
    ASSERT_EQ(r.Error, bmp::Failure::None);
    EXPECT_EQ(r.Pixels, Swapped(BmpBuilder::Pattern(4, 1)));
}

TEST(BmpDecode, TheColourTableIsSkippedAndThePixelsFollowIt) {
    BmpBuilder b;
    b.Width = 4;
    b.Height = 1;
    b.ColorsUsed = 2;
    b.OffBits = 54; // says the pixels start at once; the table is skipped all the same
    b.Body = {1, 2, 3, 4, 5, 6, 7, 8};
    const std::vector<std::uint8_t> pixels = BmpBuilder::Pattern(4, 1);
    b.Body.insert(b.Body.end(), pixels.begin(), pixels.end());
    const bmp::Result r = Decode(b.Bytes());
    ASSERT_EQ(r.Error, bmp::Failure::None);
    EXPECT_EQ(r.Pixels, Swapped(pixels));
}

TEST(BmpDecode, ShortDataFailsInThePartWhereItEnds) {
    BmpBuilder b = BmpBuilder::Plain(4, 2);
    b.Body.pop_back();
    EXPECT_EQ(Decode(b.Bytes()).Error, bmp::Failure::BitmapData);

    b.Body.clear(); // ends right after the headers
    EXPECT_EQ(Decode(b.Bytes()).Error, bmp::Failure::BitmapData);

    b.ColorsUsed = 3;
    b.Body.assign(11, 0); // ends inside the colour table
    EXPECT_EQ(Decode(b.Bytes()).Error, bmp::Failure::Palette);
    b.Body.assign(12, 0); // table complete, no pixels
    EXPECT_EQ(Decode(b.Bytes()).Error, bmp::Failure::BitmapData);
}

TEST(BmpDecode, RejectsWhatItWasNotBuiltFor) {
    BmpBuilder b = BmpBuilder::Plain(4, 2);
    b.BitCount = 8;
    ExpectRejected(b, "8 bits per pixel");
    b.BitCount = 32;
    ExpectRejected(b, "32 bits per pixel");
    b.BitCount = 0;
    ExpectRejected(b, "0 bits per pixel");

    b = BmpBuilder::Plain(4, 2);
    b.Compression = 1;
    ExpectRejected(b, "compressed");

    for (auto [w, h] : {std::pair{0, 2}, {4, 0}, {-4, 2}, {4, -2}, {INT32_MIN, 1}}) {
        b = BmpBuilder::Plain(4, 2);
        b.Width = w;
        b.Height = h;
        ExpectRejected(b, "at least 1");
    }

    b = BmpBuilder::Plain(4, 2);
    b.Width = 6; // rows would carry two bytes of padding
    b.Body = BmpBuilder::Pattern(6, 2);
    ExpectRejected(b, "not a multiple of 4");
}

TEST(BmpDecode, RejectsAnImageSizeFieldSmallerThanThePixels) {
    BmpBuilder b = BmpBuilder::Plain(4, 2);
    b.SizeImage = 23;
    ExpectRejected(b, "fewer than the 24");
}

TEST(BmpDecode, RejectsSizesWhoseProductsOverflow) {
    BmpBuilder b;
    for (auto [w, h] : {std::pair{65536, 65536}, {INT32_MAX - 3, 2}, {4, 178956971}}) {
        b.Width = w;
        b.Height = h;
        b.SizeImage = 0;
        ExpectRejected(b, "too large");
    }
    // Just inside the limit: taken, then found short.
    b.Width = 4;
    b.Height = 178956970;
    EXPECT_EQ(Decode(b.Bytes()).Error, bmp::Failure::BitmapData);
}

TEST(BmpDecode, RejectsFilesShorterThanTheHeaders) {
    const std::vector<std::uint8_t> whole = BmpBuilder::Plain(4, 2).Bytes();
    for (std::size_t length : {0u, 1u, 13u, 14u, 15u, 53u}) {
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + length);
        const bmp::Result r = Decode(cut);
        EXPECT_EQ(r.Error, bmp::Failure::Rejected) << length;
        EXPECT_NE(r.Reason.find("only " + std::to_string(length) + " of its 54 header bytes"),
                  std::string::npos)
            << r.Reason;
    }
}

TEST(BmpDecode, AnImpossibleColourTableFailsWithoutReadingIt) {
    BmpBuilder b = BmpBuilder::Plain(4, 2);
    b.ColorsUsed = 0x3FFFFFF3; // 54 + 4 × count no longer fits a 32-bit file size
    RecordingSource in(b.Bytes());
    EXPECT_EQ(bmp::Decode(in).Error, bmp::Failure::Palette);
    EXPECT_EQ(in.Requests, (std::vector<std::size_t>{14, 40}));

    b.ColorsUsed = 0xFFFFFFFF;
    EXPECT_EQ(Decode(b.Bytes()).Error, bmp::Failure::Palette);
}

TEST(BmpDecode, ClaimedSizesNeverTurnIntoLargeReads) {
    // Tables and pixel data far larger than the file: every read is of a modest size, so no
    // buffer of the claimed size is ever made.
    BmpBuilder table = BmpBuilder::Plain(4, 2);
    table.ColorsUsed = 0x3FFFFFF2;
    BmpBuilder pixels = BmpBuilder::Plain(4, 2);
    pixels.Height = 170000000;
    BmpBuilder surplus = BmpBuilder::Plain(4, 2);
    surplus.SizeImage = 0xFFFFFFFF;
    for (const BmpBuilder* b : {&table, &pixels, &surplus}) {
        RecordingSource in(b->Bytes());
        EXPECT_NE(bmp::Decode(in).Error, bmp::Failure::None);
        EXPECT_LE(*std::max_element(in.Requests.begin(), in.Requests.end()), 1u << 16);
        EXPECT_LE(in.Requests.size(), 4u);
    }
}

TEST(BmpDecode, AnOrdinaryFileIsReadInTheFilesOwnPieces) {
    BmpBuilder b = BmpBuilder::Plain(64, 64);
    b.ColorsUsed = 2;
    b.Body.insert(b.Body.begin(), 8, 0);
    RecordingSource in(b.Bytes());
    ASSERT_EQ(bmp::Decode(in).Error, bmp::Failure::None);
    EXPECT_EQ(in.Requests, (std::vector<std::size_t>{14, 40, 8, 64 * 64 * 3}));
}

TEST(SwapRedBlue, ExchangesTheOuterBytesOfExactlyCountPixels) {
    std::vector<std::uint8_t> bytes = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    SwapRedBlue(bytes.data(), 2);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{3, 2, 1, 6, 5, 4, 7, 8, 9}));
}

// An image too large for the memory left: the allocation fails once the headers are read.
TEST(BmpDecode, MemoryThatRunsOutIsAFailureNotAnException) {
    class ExhaustedSource : public RecordingSource {
      public:
        using RecordingSource::RecordingSource;
        std::size_t Read(std::uint8_t* out, std::size_t count) override {
            if (Position >= bmp::HeadersSize) {
                throw std::bad_alloc();
            }
            return RecordingSource::Read(out, count);
        }
    };
    ExhaustedSource source(BmpBuilder::Plain(4, 2).Bytes());
    const bmp::Result r = bmp::Decode(source);
    EXPECT_EQ(r.Error, bmp::Failure::Memory);
    EXPECT_TRUE(r.Pixels.empty());
}
