// Saves 32-bit pixel buffers as PNG files so that tests can leave pictures of
// what they drew for a person to look at. Uncompressed (stored) deflate blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

uint32_t Crc32(const uint8_t* bytes, size_t length, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* bytes, size_t length);

// Writes width x height pixels (0xAARRGGBB, rows top first) as an 8-bit RGBA
// PNG. False when the file cannot be written or the size is not positive.
bool WritePng(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height);
