#include "tests/support/png_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const uint8_t* Bytes(const char* text) { return reinterpret_cast<const uint8_t*>(text); }

TEST(Checksums, MatchTheirPublishedCheckValues) {
    EXPECT_EQ(Crc32(Bytes("123456789"), 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(Bytes("6789"), 4, Crc32(Bytes("12345"), 5)), 0xCBF43926u);  // continues
    EXPECT_EQ(Adler32(Bytes("Wikipedia"), 9), 0x11E60398u);
}

// Over 64 KiB of rows: the pixels need two stored blocks. The file is exactly
// signature, IHDR, one IDAT of framed rows and IEND.
TEST(WritePng, WritesStoredBlocksOfUnfilteredRgbaRows) {
    const int32_t width = 150, height = 120;
    std::vector<uint32_t> pixels(width * height, 0x80FF2010u);
    const char* path = "png_writer_test.png";
    ASSERT_TRUE(WritePng(path, pixels.data(), width, height));
    std::vector<uint8_t> file(200000);
    FILE* in = std::fopen(path, "rb");
    ASSERT_NE(in, nullptr);
    file.resize(std::fread(file.data(), 1, file.size(), in));
    std::fclose(in);
    std::remove(path);

    const size_t raw = size_t(height) * (width * 4 + 1);
    const size_t idat = 2 + 2 * 5 + raw + 4;
    ASSERT_EQ(file.size(), 8 + (12 + 13) + (12 + idat) + 12);
    EXPECT_EQ(std::memcmp(&file[8 + 4], "IHDR\0\0\0\x96\0\0\0\x78\x08\x06\0\0\0", 17), 0);
    const uint8_t* first_row = &file[8 + 25 + 8 + 2 + 5];
    EXPECT_EQ(std::memcmp(first_row, "\0\xFF\x20\x10\x80", 5), 0);  // filter None, R G B A
    EXPECT_EQ(std::memcmp(&file[file.size() - 12], "\0\0\0\0IEND\xAE\x42\x60\x82", 12), 0);
    EXPECT_FALSE(WritePng("no-such-directory/x.png", pixels.data(), 1, 1));
}

}  // namespace
