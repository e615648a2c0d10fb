#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <set>
#include <string>

#include "JpegEdits.h"
#include "JpegFixtures.h"
#include "PictureTestHelpers.h"
#include "imaging/TJPEGImage.h"
#include "vcl/Exceptions.h"
#include "vcl/MemoryBudget.h"
#include "vcl/TBitmap.h"
#include "vcl/TCanvas.h"

namespace {

using edits::Bytes;
using fixtures::Coding;
using fixtures::Colour;

struct EightBitDisplay {
    EightBitDisplay() { TJPEGImage::SetDefaultPixelFormat(TJPEGPixelFormat::jf8Bit); }
    ~EightBitDisplay() { TJPEGImage::SetDefaultPixelFormat(TJPEGPixelFormat::jf24Bit); }
};

std::unique_ptr<TJPEGImage> Decoded(const Bytes& file)
{
    auto picture = std::make_unique<TJPEGImage>();
    picture->LoadFromMemory(file);
    picture->DIBNeeded();
    return picture;
}

TEST(TJPEGImageDecode, TwentyFourBitPixelsAreLibjpegsOwnRgbOutput)
{
    struct Case {
        const char* name;
        fixtures::JpegRecipe recipe;
    };
    const Case cases[] = {
        {"baseline", Recipe(64, 48, Colour::YCbCr, Coding::Baseline)},
        {"baseline, odd size", Recipe(37, 29, Colour::YCbCr, Coding::Baseline)},
        {"progressive", Recipe(64, 48, Colour::YCbCr, Coding::Progressive)},
        {"progressive, odd size", Recipe(45, 23, Colour::YCbCr, Coding::Progressive)},
        {"sequential, separate scans", Recipe(64, 48, Colour::YCbCr, Coding::SeparateScans)},
        {"RGB stored", Recipe(40, 24, Colour::RgbStored, Coding::Baseline)},
        {"one pixel high", Recipe(50, 1, Colour::YCbCr, Coding::Baseline)},
        {"one pixel wide", Recipe(1, 50, Colour::YCbCr, Coding::Baseline)},
        {"one pixel high, progressive", Recipe(70, 1, Colour::YCbCr, Coding::Progressive)},
        {"one pixel", Recipe(1, 1, Colour::YCbCr, Coding::Baseline)},
        {"wider than one fill of input", Recipe(700, 300, Colour::YCbCr, Coding::Progressive)},
    };
    // A progressive file that ends after its first scans: block smoothing estimates the missing coefficients.
    const Bytes progressive = fixtures::MakeJpeg(Recipe(64, 48, Colour::YCbCr, Coding::Progressive));
    const Bytes firstScans = edits::CutBefore(progressive, edits::Find(progressive, 0xDA, 3));
    struct Item {
        const char* name;
        Bytes file;
        int width;
        int height;
    };
    std::vector<Item> items;
    for (const Case& c : cases)
        items.push_back({c.name, fixtures::MakeJpeg(c.recipe), c.recipe.width, c.recipe.height});
    items.push_back({"progressive, cut after its first scans", firstScans, 64, 48});
    for (const Item& item : items) {
        SCOPED_TRACE(item.name);
        const auto picture = Decoded(item.file);
        const TBitmap* bitmap = picture->Bitmap();
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->PixelFormat(), TPixelFormat::pf24bit);
        ASSERT_EQ(bitmap->Width(), item.width);
        ASSERT_EQ(bitmap->Height(), item.height);
        EXPECT_EQ(picture->Width(), item.width);
        EXPECT_EQ(picture->Height(), item.height);
        const fixtures::Decoded expected = fixtures::DecodeJpeg(item.file);
        ASSERT_EQ(expected.components, 3);
        const std::size_t rowBytes = std::size_t(item.width) * 3;
        for (int y = 0; y < item.height; ++y)
            ASSERT_EQ(0, std::memcmp(bitmap->ScanLine(y), &expected.pixels[y * rowBytes], rowBytes)) << "row " << y;
    }
}

std::set<QRgb> ColoursOf(const TBitmap& bitmap)
{
    std::set<QRgb> colours;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            colours.insert(bitmap.Pixel(x, y) | 0xFF000000u);
    return colours;
}

TBitmap& Thumbnail(TBitmap& thumbnail, int width, int height)
{
    thumbnail.SetWidth(width);
    thumbnail.SetHeight(height);
    return thumbnail;
}

TEST(TJPEGImageDecode, GreyPicturesBecomeEightBitWith236GreyLevels)
{
    for (const Coding coding : {Coding::Baseline, Coding::Progressive}) {
        SCOPED_TRACE(coding == Coding::Baseline ? "baseline" : "progressive");
        const Bytes file = fixtures::MakeJpeg(Recipe(80, 60, Colour::Grey, coding));
        auto picture = Decoded(file);
        const TBitmap* bitmap = picture->Bitmap();
        ASSERT_NE(bitmap, nullptr);
        ASSERT_EQ(bitmap->PixelFormat(), TPixelFormat::pf8bit);
        const QVector<QRgb> palette = bitmap->Palette();
        ASSERT_EQ(palette.size(), 236);
        std::set<QRgb> levels;
        for (int i = 0; i < palette.size(); ++i) {
            EXPECT_EQ(qRed(palette[i]), qGreen(palette[i]));
            EXPECT_EQ(qRed(palette[i]), qBlue(palette[i]));
            if (i > 0) {
                EXPECT_GT(qRed(palette[i]), qRed(palette[i - 1]));
            }
            levels.insert(palette[i] | 0xFF000000u);
        }
        EXPECT_EQ(qRed(palette.front()), 0);
        EXPECT_EQ(qRed(palette.back()), 255);

        // Dithering spreads the error, but each pixel stays close to the plain grey decoding.
        const fixtures::Decoded grey = fixtures::DecodeJpeg(file, JCS_GRAYSCALE);
        long totalError = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 80; ++x) {
                const int index = bitmap->ScanLine(y)[x];
                ASSERT_LT(index, palette.size());
                const int error = std::abs(qRed(palette[index]) - grey.pixels[std::size_t(y) * 80 + x]);
                EXPECT_LE(error, 3) << x << "," << y;
                totalError += error;
            }
        EXPECT_LT(double(totalError) / (80 * 60), 1.0);

        for (const auto& size : {std::pair{23, 17}, std::pair{200, 150}}) {
            TBitmap thumbnail;
            Thumbnail(thumbnail, size.first, size.second).Canvas().StretchDraw(thumbnail.Canvas().ClipRect(),
                                                                              *picture);
            for (const QRgb colour : ColoursOf(thumbnail))
                EXPECT_TRUE(levels.count(colour)) << std::hex << colour << " is no grey level of the palette";
        }
    }
}

TEST(TJPEGImageDecode, OnAnEightBitDisplayColourPicturesGetAtMost236Colours)
{
    const EightBitDisplay display;
    for (const Coding coding : {Coding::Baseline, Coding::Progressive}) {
        SCOPED_TRACE(coding == Coding::Baseline ? "baseline" : "progressive");
        const Bytes file = fixtures::MakeJpeg(Recipe(96, 64, Colour::YCbCr, coding));
        auto picture = Decoded(file);
        EXPECT_EQ(picture->PixelFormat(), TJPEGPixelFormat::jf8Bit);
        const TBitmap* bitmap = picture->Bitmap();
        ASSERT_NE(bitmap, nullptr);
        ASSERT_EQ(bitmap->PixelFormat(), TPixelFormat::pf8bit);
        const QVector<QRgb> palette = bitmap->Palette();
        EXPECT_GT(palette.size(), 16);
        EXPECT_LE(palette.size(), 236);

        const fixtures::Decoded full = fixtures::DecodeJpeg(file);
        long totalError = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 96; ++x) {
                const int index = bitmap->ScanLine(y)[x];
                ASSERT_LT(index, palette.size());
                const std::uint8_t* rgb = &full.pixels[(std::size_t(y) * 96 + x) * 3];
                totalError += std::abs(qRed(palette[index]) - rgb[0]) + std::abs(qGreen(palette[index]) - rgb[1]) +
                              std::abs(qBlue(palette[index]) - rgb[2]);
            }
        EXPECT_LT(double(totalError) / (96 * 64 * 3), 8.0);

        std::set<QRgb> paletteColours;
        for (const QRgb colour : palette)
            paletteColours.insert(colour | 0xFF000000u);
        TBitmap thumbnail;
        Thumbnail(thumbnail, 40, 30).Canvas().StretchDraw(thumbnail.Canvas().ClipRect(), *picture);
        for (const QRgb colour : ColoursOf(thumbnail))
            EXPECT_TRUE(paletteColours.count(colour));
    }
}

struct Ink {
    int c, m, y, k;
};

// 16-pixel blocks of flat ink, so that block centres are free of chroma subsampling and ringing.
const Ink kInks[] = {{0, 0, 0, 0},     {255, 0, 0, 0},  {0, 255, 0, 0},   {0, 0, 255, 0},
                     {0, 255, 255, 0}, {0, 0, 0, 128},  {40, 80, 120, 60}, {200, 30, 90, 20}};

void InkPixel(int x, int y, std::uint8_t* samples)
{
    const Ink& ink = kInks[(y / 16) * 4 + x / 16];
    samples[0] = std::uint8_t(ink.c);
    samples[1] = std::uint8_t(ink.m);
    samples[2] = std::uint8_t(ink.y);
    samples[3] = std::uint8_t(ink.k);
}

void ExpectInkColours(const TBitmap& bitmap, const std::function<int(int ink, int black)>& light)
{
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    for (int i = 0; i < 8; ++i) {
        const Ink& ink = kInks[i];
        SCOPED_TRACE(i);
        const QRgb pixel = bitmap.Pixel((i % 4) * 16 + 8, (i / 4) * 16 + 8);
        EXPECT_NEAR(qRed(pixel), light(ink.c, ink.k), 6);
        EXPECT_NEAR(qGreen(pixel), light(ink.m, ink.k), 6);
        EXPECT_NEAR(qBlue(pixel), light(ink.y, ink.k), 6);
    }
}

TEST(TJPEGImageDecode, FourComponentPicturesGetTheirTrueColours)
{
    const auto fromInk = [](int ink, int black) { return (255 - ink) * (255 - black) / 255; };
    for (const Colour colour : {Colour::Cmyk, Colour::Ycck})
        for (const Coding coding : {Coding::Baseline, Coding::Progressive})
            for (const TJPEGPixelFormat format : {TJPEGPixelFormat::jf24Bit, TJPEGPixelFormat::jf8Bit}) {
                SCOPED_TRACE(std::string(colour == Colour::Cmyk ? "CMYK" : "YCCK") +
                             (coding == Coding::Baseline ? " baseline" : " progressive") +
                             (format == TJPEGPixelFormat::jf8Bit ? " on 8 bits" : ""));
                fixtures::JpegRecipe recipe = Recipe(64, 32, colour, coding);
                recipe.pixel = InkPixel;
                TJPEGImage::SetDefaultPixelFormat(format);
                const auto picture = Decoded(fixtures::MakeJpeg(recipe));
                TJPEGImage::SetDefaultPixelFormat(TJPEGPixelFormat::jf24Bit);
                ExpectInkColours(*picture->Bitmap(), fromInk);
            }
}

TEST(TJPEGImageDecode, CmykWithoutAdobeMarkerHoldsPlainInk)
{
    fixtures::JpegRecipe recipe = Recipe(64, 32, Colour::Cmyk, Coding::Baseline);
    recipe.pixel = InkPixel;
    const Bytes adobe = fixtures::MakeJpeg(recipe);
    // The fixture stores 255 - ink; read as plain ink that is ink' = 255 - ink, whose light is ink * black / 255.
    const Bytes plain = edits::Remove(adobe, edits::Find(adobe, 0xEE));
    ASSERT_EQ(edits::Markers(plain).size() + 1, edits::Markers(adobe).size());
    const auto picture = Decoded(plain);
    ExpectInkColours(*picture->Bitmap(), [](int ink, int black) { return ink * black / 255; });
}

TEST(TJPEGImageDecode, RgbStoredPicturesKeepRedRedAndBlueBlue)
{
    fixtures::JpegRecipe recipe = Recipe(32, 16, Colour::RgbStored, Coding::Baseline);
    recipe.pixel = [](int x, int, std::uint8_t* samples) {
        samples[0] = x < 16 ? 255 : 0;
        samples[1] = 0;
        samples[2] = x < 16 ? 0 : 255;
    };
    for (const TJPEGPixelFormat format : {TJPEGPixelFormat::jf24Bit, TJPEGPixelFormat::jf8Bit}) {
        SCOPED_TRACE(format == TJPEGPixelFormat::jf8Bit ? "8 bits" : "24 bits");
        TJPEGImage::SetDefaultPixelFormat(format);
        const auto picture = Decoded(fixtures::MakeJpeg(recipe));
        TJPEGImage::SetDefaultPixelFormat(TJPEGPixelFormat::jf24Bit);
        const QRgb left = picture->Bitmap()->Pixel(4, 8);
        const QRgb right = picture->Bitmap()->Pixel(28, 8);
        EXPECT_GT(qRed(left), 240);
        EXPECT_LT(qBlue(left), 15);
        EXPECT_LT(qRed(right), 15);
        EXPECT_GT(qBlue(right), 240);
    }
}

TEST(TJPEGImageDecode, DrawingTwiceDecodesOnce)
{
    auto picture = std::make_unique<TJPEGImage>();
    picture->LoadFromMemory(fixtures::MakeJpeg(Recipe(64, 48, Colour::YCbCr, Coding::Progressive)));
    TBitmap thumbnail;
    Thumbnail(thumbnail, 32, 24).Canvas().StretchDraw(thumbnail.Canvas().ClipRect(), *picture);
    const TBitmap* decoded = picture->Bitmap();
    ASSERT_NE(decoded, nullptr);
    const QRgb first = thumbnail.Pixel(10, 10);

    // With no memory to spare any new decoding would fail: the second drawing must reuse the bitmap.
    const PinnedMemory pinned(1);
    EXPECT_EQ(Message([&] {
                  picture->Draw(thumbnail.Canvas(), thumbnail.Canvas().ClipRect());
              }),
              "(no exception)");
    EXPECT_EQ(picture->Bitmap(), decoded);
    EXPECT_EQ(thumbnail.Pixel(10, 10), first);
}

TEST(TJPEGImageDecode, AFailedDecodingKeepsNothingAndIsTriedAgain)
{
    TJPEGImage picture;
    picture.LoadFromMemory(fixtures::MakeJpeg({}));
    {
        const PinnedMemory pinned(10000);
        EXPECT_EQ(Message([&] { picture.DIBNeeded(); }), "Out of system resources");
        EXPECT_EQ(picture.Bitmap(), nullptr);
        EXPECT_EQ(picture.Width(), 64);
    }
    picture.DIBNeeded();
    EXPECT_NE(picture.Bitmap(), nullptr);
}

TEST(TJPEGImageDecode, AHugeDeclaredPictureFailsAtOnceWhenItCannotFit)
{
    const auto declared = [](Coding coding, int side, bool singleSampling) {
        return edits::WithDeclaredSize(fixtures::MakeJpeg(Recipe(16, 16, Colour::YCbCr, coding)), side, side,
                                       singleSampling);
    };
    const auto bitmapBytes = [](std::uint64_t side) { return (side * 3 + 3) / 4 * 4 * side; };
    const auto blockBytes = [](std::uint64_t blocks) { return blocks * blocks * 128; };
    struct Case {
        const char* name;
        Bytes file;
        int side;
        std::uint64_t pinned;  // 0: the machine's own figure
        std::uint64_t need;    // what the decoding would take at the least
    };
    const Case cases[] = {
        // Full-resolution colour: the coefficients of 3 x 8188 x 8188 blocks and the bitmap, about 38.6 GB.
        {"progressive, the machine's memory", declared(Coding::Progressive, 65500, true), 65500, 0,
         3 * blockBytes(8188) + bitmapBytes(65500)},
        {"baseline, 1 GiB available", declared(Coding::Baseline, 65500, false), 65500, std::uint64_t(1) << 30,
         bitmapBytes(65500)},
        {"progressive, 16 GiB available", declared(Coding::Progressive, 65500, true), 65500,
         std::uint64_t(16) << 30, 3 * blockBytes(8188) + bitmapBytes(65500)},
        // Either the coefficients (2.7 GB) or the bitmap (2.7 GB) alone would fit: only together they do not.
        {"progressive 4:2:0, 4 GiB available", declared(Coding::Progressive, 30000, false), 30000,
         std::uint64_t(4) << 30, blockBytes(3750) + 2 * blockBytes(1875) + bitmapBytes(30000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PinnedMemory pinned(c.pinned);
        if (AvailableMemoryBytes() >= c.need) {
            std::cout << "skipped: this machine has memory for " << c.name << "\n";
            continue;
        }
        TJPEGImage picture;
        picture.LoadFromMemory(c.file);
        EXPECT_EQ(picture.Width(), c.side);
        EXPECT_EQ(picture.Height(), c.side);
        TBitmap thumbnail;
        Thumbnail(thumbnail, 100, 100);
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(Message([&] { thumbnail.Canvas().StretchDraw(thumbnail.Canvas().ClipRect(), picture); }),
                  "Out of system resources");
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));
        EXPECT_EQ(picture.Bitmap(), nullptr);
        EXPECT_EQ(thumbnail.Pixel(50, 50), qRgb(255, 255, 255));
    }
}

}  // namespace
