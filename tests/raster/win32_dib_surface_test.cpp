#include "raster/win32_dib_surface.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace {

bool IsGone(HGDIOBJ object) { return GetObjectType(object) == 0; }

TEST(DibSurface, PixelsAreTopDownRowsOfExactlyWidthWordsAsBitBltSeesThem) {
    DibSurface surface(240, 96);
    ASSERT_TRUE(surface.has_pixels());
    EXPECT_EQ(GetCurrentObject(surface.dc, OBJ_BITMAP), surface.bitmap);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 240; ++x)
            surface.pixels[x + y * 240] =
                0xFF000000u | uint32_t((x + y) & 0xFF) << 16 | uint32_t(y) << 8 | x;
    GdiFlush();

    // Copy into a plain screen-compatible bitmap that knows nothing of DIB layouts.
    const HDC screen = GetDC(nullptr);
    const HDC copy = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, 240, 96);
    const HGDIOBJ previous = SelectObject(copy, bitmap);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(BitBlt(copy, 0, 0, 240, 96, surface.dc, 0, 0, SRCCOPY));
    for (int y : {0, 1, 95})
        for (int x : {0, 1, 239})
            EXPECT_EQ(GetPixel(copy, x, y), RGB((x + y) & 0xFF, y, x)) << x << "," << y;
    SelectObject(copy, previous);
    DeleteDC(copy);
    DeleteObject(bitmap);

    EXPECT_EQ(surface.pixel_at(239, 95), surface.pixels + 240 * 96 - 1);
    EXPECT_EQ(surface.pixel_at(240, 0), nullptr);
    EXPECT_EQ(surface.pixel_at(0, 96), nullptr);
    EXPECT_EQ(surface.pixel_at(-1, 0), nullptr);
    EXPECT_EQ(surface.pixel_at(0, -1), nullptr);
}

TEST(DibSurface, CreateAndReleaseGiveBackTheDibAndDcExactlyOnce) {
    std::unique_ptr<Surface> surface(new DibSurface(16, 8));
    auto& dib = static_cast<DibSurface&>(*surface);
    const HBITMAP first_bitmap = dib.bitmap;
    const HDC first_dc = dib.dc;
    const HGDIOBJ displaced = dib.previous_bitmap;

    // Through the base class, as the meter resizes its surfaces.
    ASSERT_NE(surface->create(32, 4), nullptr);
    EXPECT_TRUE(IsGone(first_bitmap));
    EXPECT_TRUE(IsGone(first_dc));
    EXPECT_EQ(GetObjectType(displaced), DWORD(OBJ_BITMAP));  // put back, not deleted
    BITMAP info = {};
    GetObject(dib.bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 32);
    EXPECT_EQ(info.bmHeight, 4);

    const HBITMAP second_bitmap = dib.bitmap;
    surface->release();
    EXPECT_TRUE(IsGone(second_bitmap));
    EXPECT_FALSE(surface->has_pixels());
    EXPECT_EQ(dib.dc, nullptr);
    EXPECT_EQ(surface->width, 32);
    surface->release();  // finds nothing; then the destructor finds nothing either
}

TEST(DibSurface, AFailedCreationHoldsNoPixelsAndNoHandles) {
    for (const auto& size : {std::make_pair(0, 10), std::make_pair(10, -5), std::make_pair(-10, 5),
                             std::make_pair(65536, 65536)}) {
        DibSurface surface(4, 4);
        const HBITMAP first = surface.bitmap;
        EXPECT_EQ(surface.create(size.first, size.second), nullptr)
            << size.first << "x" << size.second;
        EXPECT_FALSE(surface.has_pixels());
        EXPECT_EQ(surface.bitmap, nullptr);
        EXPECT_EQ(surface.dc, nullptr);
        EXPECT_TRUE(IsGone(first));
        EXPECT_NE(surface.create(2, 2), nullptr);  // and it can be made again
    }
}

}  // namespace
