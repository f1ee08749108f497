// Builds BMP files byte by byte for the loader's tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct BmpBuilder {
    std::int32_t Width = 4;
    std::int32_t Height = 2;
    std::uint16_t BitCount = 24;
    std::uint32_t Compression = 0;
    std::uint32_t SizeImage = 0;
    std::uint32_t ColorsUsed = 0;
    std::uint32_t OffBits = 54;
    char Signature[2] = {'B', 'M'};
    // The bytes after the info header: colour table and pixel data. Filled by Pixels() unless set.
    std::vector<std::uint8_t> Body;

    // Width × Height pixels whose blue, green and red bytes are distinct functions of the index.
    static std::vector<std::uint8_t> Pattern(std::int32_t width, std::int32_t height) {
        std::vector<std::uint8_t> bytes;
        for (std::int32_t i = 0; i < width * height; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(3 * i));
            bytes.push_back(static_cast<std::uint8_t>(3 * i + 1));
            bytes.push_back(static_cast<std::uint8_t>(3 * i + 2));
        }
        return bytes;
    }

    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> out;
        auto put16 = [&](unsigned v) {
            out.push_back(static_cast<std::uint8_t>(v));
            out.push_back(static_cast<std::uint8_t>(v >> 8));
        };
        auto put32 = [&](std::uint32_t v) {
            put16(v & 0xFFFF);
            put16(v >> 16);
        };
        out.push_back(static_cast<std::uint8_t>(Signature[0]));
        out.push_back(static_cast<std::uint8_t>(Signature[1]));
        put32(static_cast<std::uint32_t>(54 + Body.size()));
        put32(0);
        put32(OffBits);
        put32(40);
        put32(static_cast<std::uint32_t>(Width));
        put32(static_cast<std::uint32_t>(Height));
        put16(1);
        put16(BitCount);
        put32(Compression);
        put32(SizeImage);
        put32(2835);
        put32(2835);
        put32(ColorsUsed);
        put32(0);
        out.insert(out.end(), Body.begin(), Body.end());
        return out;
    }

    // A file with the pattern as its pixel data.
    static BmpBuilder Plain(std::int32_t width, std::int32_t height) {
        BmpBuilder b;
        b.Width = width;
        b.Height = height;
        b.Body = Pattern(width, height);
        return b;
    }
};
