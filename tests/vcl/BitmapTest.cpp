#include <gtest/gtest.h>

#include <QImage>
#include <cstdint>
#include <string>

#include "vcl/TBitmap.h"
#include "vcl/TCanvas.h"
#include "vcl/TImage.h"

namespace {

const QRgb kWhite = qRgb(255, 255, 255);

// A colour of its own for every pixel of a bitmap up to 256 x 256, never white: red is the column, green the row.
QRgb Distinct(int x, int y)
{
    return qRgb(x & 0xff, y & 0xff, 0x5a);
}

// A bitmap of the given format whose every pixel is Distinct(x, y). An 8-bit bitmap gets a palette of one colour
// for each of its indexes, which caps it at 16 x 16.
void FillDistinct(TBitmap& bitmap, TPixelFormat format, int width, int height)
{
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
    if (format == TPixelFormat::pf8bit) {
        QVector<QRgb> palette;
        for (int i = 0; i < 256; ++i)
            palette.push_back(Distinct(i % 16, i / 16));
        bitmap.SetPalette(palette);
    }
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const QRgb colour = Distinct(x, y);
            switch (format) {
            case TPixelFormat::pfDevice:
                reinterpret_cast<QRgb*>(row)[x] = colour;
                break;
            case TPixelFormat::pf24bit:
                row[3 * x] = std::uint8_t(qRed(colour));
                row[3 * x + 1] = std::uint8_t(qGreen(colour));
                row[3 * x + 2] = std::uint8_t(qBlue(colour));
                break;
            case TPixelFormat::pf8bit:
                row[x] = std::uint8_t(y * 16 + x);
                break;
            }
        }
    }
}

std::string Where(int x, int y)
{
    return std::to_string(x) + "," + std::to_string(y);
}

TEST(TBitmap, ASizedBitmapIsWhiteThroughEveryWayOfLookingAtIt)
{
    for (const TPixelFormat format : {TPixelFormat::pfDevice, TPixelFormat::pf24bit, TPixelFormat::pf8bit}) {
        SCOPED_TRACE(int(format));
        TBitmap bitmap;
        bitmap.SetPixelFormat(format);
        bitmap.SetWidth(5);
        bitmap.SetHeight(3);
        ASSERT_TRUE(bitmap.HasPixels());
        EXPECT_EQ(bitmap.Pixel(4, 2), kWhite);
        TBitmap shared;
        shared.Assign(bitmap);
        EXPECT_EQ(shared.Pixel(0, 0), kWhite);

        const QImage& image = bitmap.Image();
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.width(), 5);
        EXPECT_EQ(image.height(), 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                EXPECT_EQ(image.pixel(x, y), kWhite) << Where(x, y);
                EXPECT_EQ(bitmap.Pixel(x, y), kWhite) << Where(x, y);
                EXPECT_EQ(shared.Pixel(x, y), kWhite) << Where(x, y);
            }
        const std::uint8_t* row = bitmap.ScanLine(2);
        const std::uint8_t expected = format == TPixelFormat::pf8bit ? 0 : 0xff;
        for (int i = 0; i < 5 * (format == TPixelFormat::pf24bit ? 3 : format == TPixelFormat::pf8bit ? 1 : 4); ++i)
            EXPECT_EQ(row[i], expected) << "byte " << i;
    }
}

// Drawing over part of a bitmap leaves the rest of it white; drawing over all of it leaves no white.
TEST(TBitmap, ADrawingCoversItsRectangleAndNothingElse)
{
    struct Case {
        const char* name;
        TRect rect;
    };
    const Case cases[] = {
        {"whole", {0, 0, 12, 9}},
        {"left part", {0, 0, 5, 9}},
        {"inside", {3, 2, 10, 7}},
        {"over the top left edges", {-4, -3, 6, 5}},
        {"beyond every edge", {-2, -2, 14, 11}},
    };
    TBitmap source;
    FillDistinct(source, TPixelFormat::pf24bit, 7, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap target;
        target.SetWidth(12);
        target.SetHeight(9);
        target.Canvas().StretchDraw(c.rect, source);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 12; ++x) {
                const bool inside = x >= c.rect.Left && x < c.rect.Right && y >= c.rect.Top && y < c.rect.Bottom;
                if (inside)
                    EXPECT_EQ(qBlue(target.Pixel(x, y)), 0x5a) << Where(x, y) << " is not drawn";
                else
                    EXPECT_EQ(target.Pixel(x, y), kWhite) << Where(x, y) << " is not white";
            }
    }
}

// Every source format draws the same colours onto the display bitmap, including the last column of
// rows without padding, and 8-bit indexes beyond the palette show black.
TEST(TBitmap, EveryFormatStretchesToTheSameColours)
{
    struct Size {
        int width;
        int height;
    };
    const Size sources[] = {{4, 3}, {5, 3}, {8, 16}, {16, 1}, {1, 5}};
    const Size targets[] = {{1, 1}, {3, 2}, {17, 13}, {40, 40}};
    for (const Size& s : sources)
        for (const Size& t : targets) {
            SCOPED_TRACE(Where(s.width, s.height) + " onto " + Where(t.width, t.height));
            TBitmap device;
            FillDistinct(device, TPixelFormat::pfDevice, s.width, s.height);
            TBitmap expected;
            expected.SetSize(t.width, t.height);
            expected.Canvas().StretchDraw({0, 0, t.width, t.height}, device);
            for (const TPixelFormat format : {TPixelFormat::pf24bit, TPixelFormat::pf8bit}) {
                SCOPED_TRACE(int(format));
                TBitmap source;
                FillDistinct(source, format, s.width, s.height);
                TBitmap target;
                target.SetSize(t.width, t.height);
                target.Canvas().StretchDraw({0, 0, t.width, t.height}, source);
                for (int y = 0; y < t.height; ++y)
                    for (int x = 0; x < t.width; ++x)
                        ASSERT_EQ(target.Pixel(x, y), expected.Pixel(x, y)) << Where(x, y);
            }
        }

    TBitmap shortPalette;
    shortPalette.SetPixelFormat(TPixelFormat::pf8bit);
    shortPalette.SetSize(2, 1);
    shortPalette.SetPalette({qRgb(10, 20, 30)});
    shortPalette.ScanLine(0)[1] = 7;
    TBitmap target;
    target.SetSize(2, 1);
    target.Canvas().StretchDraw({0, 0, 2, 1}, shortPalette);
    EXPECT_EQ(target.Pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(target.Pixel(1, 0), qRgb(0, 0, 0));
}

// A whole display bitmap drawn onto one of its size takes no copy; writing to either afterwards leaves the
// other as it was.
TEST(TBitmap, AWholeCopyIsSharedUntilWrittenTo)
{
    TBitmap original;
    FillDistinct(original, TPixelFormat::pfDevice, 6, 4);
    TBitmap copy;
    copy.SetWidth(6);
    copy.SetHeight(4);
    copy.Canvas().Draw(0, 0, original);
    EXPECT_EQ(copy.Image().constBits(), original.Image().constBits());

    reinterpret_cast<QRgb*>(copy.ScanLine(1))[2] = qRgb(1, 2, 3);
    EXPECT_EQ(copy.Pixel(2, 1), qRgb(1, 2, 3));
    EXPECT_EQ(original.Pixel(2, 1), Distinct(2, 1));
    EXPECT_EQ(copy.Pixel(3, 1), Distinct(3, 1));

    // Offset by one, nothing is shared and the uncovered column stays white.
    TBitmap shifted;
    shifted.SetSize(6, 4);
    shifted.Canvas().Draw(1, 0, original);
    EXPECT_NE(shifted.Image().constBits(), original.Image().constBits());
    EXPECT_EQ(shifted.Pixel(0, 0), kWhite);
    EXPECT_EQ(shifted.Pixel(1, 0), Distinct(0, 0));
}

TEST(TImage, AnImageWhoseBitmapIsStillWhitePaintsWhite)
{
    TImage image;
    image.SetWidth(20);
    image.SetHeight(10);
    static_cast<void>(image.Canvas());
    const QImage shot = image.grab().toImage();
    const auto* bitmap = dynamic_cast<const TBitmap*>(image.Picture().Graphic());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_TRUE(bitmap->WhitePending()) << "painting made pixels it did not need";
    ASSERT_EQ(shot.size(), QSize(20, 10));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(shot.pixel(x, y) | 0xff000000u, kWhite) << Where(x, y);
}

}  // namespace
