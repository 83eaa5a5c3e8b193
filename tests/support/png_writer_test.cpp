#include "tests/support/png_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const uint8_t* Bytes(const char* text) { return reinterpret_cast<const uint8_t*>(text); }

uint32_t BigEndian(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

std::vector<uint8_t> ReadFile(const char* path) {
    std::vector<uint8_t> bytes;
    if (FILE* in = std::fopen(path, "rb")) {
        int c;
        while ((c = std::fgetc(in)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
        std::fclose(in);
    }
    return bytes;
}

TEST(Checksums, MatchTheirPublishedCheckValues) {
    EXPECT_EQ(Crc32(Bytes("123456789"), 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(Bytes("IEND"), 4), 0xAE426082u);
    EXPECT_EQ(Crc32(Bytes("6789"), 4, Crc32(Bytes("12345"), 5)), 0xCBF43926u);  // continues
    EXPECT_EQ(Adler32(Bytes("Wikipedia"), 9), 0x11E60398u);
    EXPECT_EQ(Adler32(nullptr, 0), 1u);
}

// Reads the file back the way a decoder would: chunks with checksums, stored
// blocks, the zlib trailer and unfiltered RGBA rows.
TEST(WritePng, WritesAFileADecoderReadsBackPixelForPixel) {
    const int32_t width = 150, height = 120;  // over 64 KiB of rows: two stored blocks
    std::vector<uint32_t> pixels(width * height);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint32_t>(i * 2654435761u);
    const char* path = "png_writer_test.png";
    ASSERT_TRUE(WritePng(path, pixels.data(), width, height));
    const std::vector<uint8_t> file = ReadFile(path);
    std::remove(path);
    ASSERT_GT(file.size(), 8u);
    ASSERT_EQ(std::memcmp(file.data(), "\x89PNG\r\n\x1a\n", 8), 0);

    std::vector<uint8_t> zlib;
    std::vector<std::string> types;
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t length = BigEndian(&file[at]);
        ASSERT_LE(at + 12 + length, file.size());
        const std::string type(reinterpret_cast<const char*>(&file[at + 4]), 4);
        types.push_back(type);
        EXPECT_EQ(Crc32(&file[at + 4], length + 4), BigEndian(&file[at + 8 + length])) << type;
        if (type == "IHDR") {
            ASSERT_EQ(length, 13u);
            EXPECT_EQ(BigEndian(&file[at + 8]), 150u);
            EXPECT_EQ(BigEndian(&file[at + 12]), 120u);
            EXPECT_EQ(std::memcmp(&file[at + 16], "\x08\x06\x00\x00\x00", 5), 0);
        }
        if (type == "IDAT") zlib.insert(zlib.end(), &file[at + 8], &file[at + 8] + length);
        at += 12 + length;
    }
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));

    ASSERT_GE(zlib.size(), 6u);
    EXPECT_EQ((zlib[0] * 256 + zlib[1]) % 31, 0);
    std::vector<uint8_t> raw;
    int blocks = 0;
    for (size_t at = 2;;) {
        ASSERT_LE(at + 5, zlib.size());
        const bool last = zlib[at] & 1;
        ASSERT_EQ(zlib[at] >> 1, 0) << "stored block";
        const unsigned length = zlib[at + 1] | zlib[at + 2] << 8;
        EXPECT_EQ(length ^ 0xFFFFu, unsigned(zlib[at + 3] | zlib[at + 4] << 8));
        ASSERT_LE(at + 5 + length, zlib.size());
        raw.insert(raw.end(), &zlib[at + 5], &zlib[at + 5] + length);
        at += 5 + length;
        ++blocks;
        if (last) {
            ASSERT_EQ(at + 4, zlib.size());
            EXPECT_EQ(BigEndian(&zlib[at]), Adler32(raw.data(), raw.size()));
            break;
        }
    }
    EXPECT_EQ(blocks, 2);

    ASSERT_EQ(raw.size(), size_t(height) * (width * 4 + 1));
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = &raw[y * (width * 4 + 1)];
        ASSERT_EQ(row[0], 0);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t p = pixels[y * width + x];
            const uint8_t* rgba = row + 1 + x * 4;
            ASSERT_EQ(uint32_t(rgba[3]) << 24 | uint32_t(rgba[0]) << 16 | uint32_t(rgba[1]) << 8 |
                          rgba[2],
                      p)
                << x << "," << y;
        }
    }
}

TEST(WritePng, RefusesEmptyImagesAndUnwritablePaths) {
    const uint32_t pixel = 0xFF000000;
    EXPECT_FALSE(WritePng("never.png", &pixel, 0, 1));
    EXPECT_FALSE(WritePng("never.png", nullptr, 1, 1));
    EXPECT_FALSE(WritePng("no-such-directory/x.png", &pixel, 1, 1));
}

}  // namespace
