#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "JpegFixtures.h"
#include "imaging/TJPEGImage.h"
#include "vcl/Exceptions.h"
#include "vcl/TBitmap.h"
#include "vcl/TCanvas.h"

namespace {

constexpr int kSourceWidth = 150;
constexpr int kSourceHeight = 100;
constexpr int kMarkBlue = 0x5A;

// Every pixel distinct: red is the column, green the row.
void FillDistinct(TBitmap& bitmap, int width, int height)
{
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = std::uint8_t(x);
            row[3 * x + 1] = std::uint8_t(y);
            row[3 * x + 2] = kMarkBlue;
        }
    }
}

struct Mapping {
    std::vector<int> column;  // source column of each target column
    std::vector<int> row;     // source row of each target row
};

void Draw(TJPEGImage& picture, TBitmap& thumbnail, int width, int height)
{
    thumbnail.SetWidth(width);
    thumbnail.SetHeight(height);
    thumbnail.Canvas().StretchDraw(thumbnail.Canvas().ClipRect(), picture);
}

// Reads the source pixel behind every target pixel from the distinct colours, checking that each target pixel is
// one whole source pixel and that rows and columns map consistently.
Mapping MappingOf(const TBitmap& thumbnail)
{
    Mapping mapping;
    for (int x = 0; x < thumbnail.Width(); ++x)
        mapping.column.push_back(qRed(thumbnail.Pixel(x, 0)));
    for (int y = 0; y < thumbnail.Height(); ++y)
        mapping.row.push_back(qGreen(thumbnail.Pixel(0, y)));
    for (int y = 0; y < thumbnail.Height(); ++y)
        for (int x = 0; x < thumbnail.Width(); ++x) {
            const QRgb pixel = thumbnail.Pixel(x, y);
            EXPECT_EQ(qBlue(pixel), kMarkBlue) << x << "," << y << " is no source pixel";
            EXPECT_EQ(qRed(pixel), mapping.column[x]) << x << "," << y;
            EXPECT_EQ(qGreen(pixel), mapping.row[y]) << x << "," << y;
            if (::testing::Test::HasFailure())
                return mapping;
        }
    return mapping;
}

// Nearest-neighbour spanning the whole source over the whole target: target pixel i of n covers source pixels
// [i * m / n, (i + 1) * m / n) of m, and takes one of those; order is kept; shrinking drops lines, enlarging
// repeats them and shows every one.
void ExpectSpansInOrder(const std::vector<int>& map, int sourceSize)
{
    ASSERT_FALSE(map.empty());
    const long n = long(map.size());
    const long m = sourceSize;
    for (long i = 0; i < n; ++i) {
        EXPECT_GE(map[i], i * m / n) << "line " << i << " lies left of or above its footprint";
        EXPECT_LT(map[i], ((i + 1) * m + n - 1) / n) << "line " << i << " lies right of or below its footprint";
        if (i == 0)
            continue;
        if (n <= m) {
            EXPECT_GT(map[i], map[i - 1]) << "shrinking must drop, never repeat, at " << i;
        } else {
            EXPECT_GE(map[i], map[i - 1]) << "order broken at " << i;
        }
    }
    if (n >= m) {
        EXPECT_EQ(std::set<int>(map.begin(), map.end()).size(), std::size_t(m))
            << "enlarging must show every source line";
    }
}

struct Size {
    const char* name;
    int width;
    int height;
};

const Size kSizes[] = {
    {"shrink", 37, 23},           {"same size", kSourceWidth, kSourceHeight}, {"enlarge", 311, 257},
    {"shrink wide, enlarge high", 40, 230}, {"one row", 90, 1},              {"one column", 1, 60},
    {"1 x 1", 1, 1},
};

TEST(TJPEGImageStretch, EveryThumbnailPixelIsOneWholeSourcePixelInOrder)
{
    TBitmap source;
    FillDistinct(source, kSourceWidth, kSourceHeight);
    TJPEGImage picture;
    picture.Assign(source);
    for (const Size& size : kSizes) {
        SCOPED_TRACE(size.name);
        TBitmap thumbnail;
        Draw(picture, thumbnail, size.width, size.height);
        const Mapping mapping = MappingOf(thumbnail);
        ExpectSpansInOrder(mapping.column, kSourceWidth);
        ExpectSpansInOrder(mapping.row, kSourceHeight);
    }
}

TEST(TJPEGImageStretch, ADecodedPictureIsDrawnByTheSameRule)
{
    fixtures::JpegRecipe recipe;
    recipe.width = kSourceWidth;
    recipe.height = kSourceHeight;
    recipe.coding = fixtures::Coding::Progressive;
    TJPEGImage picture;
    picture.LoadFromMemory(fixtures::MakeJpeg(recipe));
    picture.DIBNeeded();
    const TBitmap& decoded = *picture.Bitmap();

    TBitmap distinctSource;
    FillDistinct(distinctSource, kSourceWidth, kSourceHeight);
    TJPEGImage distinct;
    distinct.Assign(distinctSource);
    for (const Size& size : kSizes) {
        SCOPED_TRACE(size.name);
        TBitmap probe;
        Draw(distinct, probe, size.width, size.height);
        const Mapping mapping = MappingOf(probe);
        TBitmap thumbnail;
        Draw(picture, thumbnail, size.width, size.height);
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x)
                ASSERT_EQ(thumbnail.Pixel(x, y), decoded.Pixel(mapping.column[x], mapping.row[y])) << x << "," << y;
    }
}

TEST(TJPEGImageStretch, AssignTakesTheBitmapOverAndSharesItsPixels)
{
    fixtures::JpegRecipe recipe;
    recipe.coding = fixtures::Coding::Progressive;
    TJPEGImage picture;
    picture.LoadFromMemory(fixtures::MakeJpeg(recipe));
    picture.DIBNeeded();
    TBitmap source;
    FillDistinct(source, 30, 20);
    picture.Assign(source);
    EXPECT_EQ(picture.Width(), 30);
    EXPECT_EQ(picture.Height(), 20);
    EXPECT_FALSE(picture.Empty());
    EXPECT_TRUE(picture.ProgressiveEncoding());
    ASSERT_NE(picture.Bitmap(), nullptr);
    EXPECT_NE(picture.Bitmap(), &source);
    EXPECT_EQ(picture.Bitmap()->Image().constBits(), source.Image().constBits());
    EXPECT_EQ(picture.Bitmap()->PixelFormat(), TPixelFormat::pf24bit);
}

TEST(TJPEGImageStretch, ATargetWithoutPixelsStillDecodes)
{
    struct Case {
        const char* name;
        fixtures::Coding coding;
        std::string message;
    };
    const Case cases[] = {
        {"baseline", fixtures::Coding::Baseline, "(no exception)"},
        {"arithmetic", fixtures::Coding::Arithmetic, "JPEG error #1"},
    };
    for (const Case& c : cases)
        for (const auto& size : {std::pair{0, 0}, std::pair{10, 0}, std::pair{0, 10}}) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(size.first) + "x" + std::to_string(size.second));
            fixtures::JpegRecipe recipe;
            recipe.coding = c.coding;
            TJPEGImage picture;
            picture.LoadFromMemory(fixtures::MakeJpeg(recipe));
            TBitmap thumbnail;
            thumbnail.SetWidth(size.first);
            thumbnail.SetHeight(size.second);
            std::string message = "(no exception)";
            try {
                thumbnail.Canvas().StretchDraw(thumbnail.Canvas().ClipRect(), picture);
            } catch (const Exception& e) {
                message = e.Message();
            }
            EXPECT_EQ(message, c.message);
            EXPECT_EQ(picture.Bitmap() != nullptr, c.message == "(no exception)");
            EXPECT_FALSE(thumbnail.HasPixels());
        }
}

}  // namespace
