#include "raster/surface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace {

TEST(Surface, PixelAtAddressesRowsTopFirstAndRefusesEveryOutsideCoordinate) {
    Surface surface(7, 5);
    ASSERT_TRUE(surface.has_pixels());
    EXPECT_EQ(surface.pixel_at(0, 0), surface.pixels);
    EXPECT_EQ(surface.pixel_at(3, 2), surface.pixels + 3 + 2 * 7);
    EXPECT_EQ(surface.pixel_at(6, 4), surface.pixels + 7 * 5 - 1);
    const struct { int32_t x, y; } outside[] = {{7, 0}, {0, 5}, {-1, 0}, {0, -1},
                                                 {INT32_MIN, 0}, {0, INT32_MAX}};
    for (const auto& p : outside) {
        EXPECT_EQ(surface.pixel_at(p.x, p.y), nullptr) << p.x << "," << p.y;
    }
}

TEST(Surface, CreateReplacesTheMemoryWithABlockOfTheNewSize) {
    Surface surface(3, 3);
    EXPECT_EQ(surface.create(11, 4), surface.pixels);
    EXPECT_EQ(surface.width, 11);
    EXPECT_EQ(surface.height, 4);
    // The sanitizer build turns a short block or a leaked first one into a failure.
    for (int32_t i = 0; i < 11 * 4; ++i) surface.pixels[i] = static_cast<uint32_t>(i);
    EXPECT_EQ(*surface.pixel_at(10, 3), 43u);
}

TEST(Surface, ReleaseKeepsTheSizeAndLeavesNothingForTheDestructor) {
    auto* surface = new Surface(4, 2);
    surface->release();
    EXPECT_FALSE(surface->has_pixels());
    EXPECT_EQ(surface->width, 4);
    EXPECT_EQ(surface->height, 2);
    EXPECT_EQ(surface->pixel_at(0, 0), nullptr);
    surface->release();
    delete surface;
}

TEST(Surface, ResetForgetsTheMemoryWithoutFreeingIt) {
    Surface surface(4, 2);
    uint32_t* memory = surface.pixels;
    surface.reset();
    EXPECT_FALSE(surface.has_pixels());
    EXPECT_EQ(surface.width, 0);
    EXPECT_EQ(surface.height, 0);
    std::free(memory);  // still ours: reset handed it over
}

TEST(Surface, SizesWithoutPixelsOrBeyondTheAddressSpaceLeaveItEmpty) {
    const struct { int32_t width, height; } sizes[] = {
        {0, 5}, {5, 0}, {-3, 4}, {-3, -4}, {INT32_MAX, INT32_MAX}};
    for (const auto& size : sizes) {
        Surface surface(size.width, size.height);
        EXPECT_FALSE(surface.has_pixels()) << size.width << "x" << size.height;
        EXPECT_EQ(surface.width, size.width);
        EXPECT_EQ(surface.height, size.height);
        EXPECT_EQ(surface.pixel_at(0, 0), nullptr);
    }
}

// A derived surface sees create return the old memory through its own release.
class CountingSurface : public Surface {
public:
    CountingSurface() : Surface(2, 2) {}
    void release() override {
        ++releases;
        Surface::release();
    }
    int releases = 0;
};

TEST(Surface, CreateReleasesThroughTheVirtualTable) {
    CountingSurface surface;
    EXPECT_EQ(surface.releases, 0);
    surface.create(3, 3);
    EXPECT_EQ(surface.releases, 1);
    EXPECT_TRUE(surface.has_pixels());
}

}  // namespace
