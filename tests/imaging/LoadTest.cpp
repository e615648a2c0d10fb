#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "JpegEdits.h"
#include "JpegFixtures.h"
#include "PictureTestHelpers.h"
#include "imaging/TJPEGImage.h"
#include "vcl/Exceptions.h"
#include "vcl/MemoryBudget.h"
#include "vcl/TBitmap.h"

namespace {

using edits::Bytes;
using fixtures::Coding;
using fixtures::Colour;

TEST(TJPEGImageLoad, ANewPictureHasTheFixedSettingsAndNoContent)
{
    for (const TJPEGPixelFormat format : {TJPEGPixelFormat::jf24Bit, TJPEGPixelFormat::jf8Bit}) {
        TJPEGImage::SetDefaultPixelFormat(format);
        const TJPEGImage picture;
        EXPECT_EQ(picture.PixelFormat(), format);
        EXPECT_EQ(picture.CompressionQuality(), 90);
        EXPECT_FALSE(picture.Grayscale());
        EXPECT_EQ(picture.Performance(), TJPEGPerformance::jpBestQuality);
        EXPECT_FALSE(picture.ProgressiveDisplay());
        EXPECT_FALSE(picture.ProgressiveEncoding());
        EXPECT_EQ(picture.Scale(), TJPEGScale::jsFullSize);
        EXPECT_TRUE(picture.Smoothing());
        EXPECT_EQ(picture.Width(), 0);
        EXPECT_EQ(picture.Height(), 0);
        EXPECT_TRUE(picture.Empty());
        EXPECT_EQ(picture.Bitmap(), nullptr);
    }
    TJPEGImage::SetDefaultPixelFormat(TJPEGPixelFormat::jf24Bit);
}

struct KindCase {
    const char* name;
    fixtures::JpegRecipe recipe;
    bool multipleScans;
};

TEST(TJPEGImageLoad, ReportsTheFrameSizeAndWhetherThereAreSeveralScansWithoutDecoding)
{
    const KindCase cases[] = {
        {"baseline", Recipe(64, 48, Colour::YCbCr, Coding::Baseline), false},
        {"progressive", Recipe(64, 48, Colour::YCbCr, Coding::Progressive), true},
        {"sequential, separate scans", Recipe(64, 48, Colour::YCbCr, Coding::SeparateScans), true},
        {"grey", Recipe(33, 17, Colour::Grey, Coding::Baseline), false},
        {"grey progressive", Recipe(33, 17, Colour::Grey, Coding::Progressive), true},
        {"arithmetic", Recipe(40, 30, Colour::YCbCr, Coding::Arithmetic), false},
        {"CMYK", Recipe(20, 10, Colour::Cmyk, Coding::Baseline), false},
        {"YCCK", Recipe(20, 10, Colour::Ycck, Coding::Progressive), true},
        {"RGB stored", Recipe(31, 7, Colour::RgbStored, Coding::Baseline), false},
        {"one pixel high", Recipe(50, 1, Colour::YCbCr, Coding::Baseline), false},
        {"one pixel wide", Recipe(1, 50, Colour::YCbCr, Coding::Progressive), true},
    };
    QTemporaryDir dir;
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.filePath("picture.jpg").toStdString();
        fixtures::WriteFileBytes(path, fixtures::MakeJpeg(c.recipe));
        TJPEGImage picture;
        picture.LoadFromFile(path);
        EXPECT_EQ(picture.Width(), c.recipe.width);
        EXPECT_EQ(picture.Height(), c.recipe.height);
        EXPECT_EQ(picture.ProgressiveEncoding(), c.multipleScans);
        EXPECT_FALSE(picture.Empty());
        EXPECT_EQ(picture.Bitmap(), nullptr);

        TJPEGImage fromMemory;
        fromMemory.LoadFromMemory(fixtures::MakeJpeg(c.recipe));
        EXPECT_EQ(fromMemory.Width(), c.recipe.width);
        EXPECT_EQ(fromMemory.Height(), c.recipe.height);
        EXPECT_EQ(fromMemory.ProgressiveEncoding(), c.multipleScans);
    }
}

TEST(TJPEGImageLoad, AZeroByteFileIsAnEmptyPicture)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("empty.jpg").toStdString();
    fixtures::WriteFileBytes(path, {});
    TJPEGImage picture;
    picture.LoadFromFile(path);
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_EQ(picture.Height(), 0);
    EXPECT_TRUE(picture.Empty());
    EXPECT_FALSE(picture.ProgressiveEncoding());
}

TEST(TJPEGImageLoad, LoadingAgainStartsOver)
{
    TJPEGImage picture;
    picture.LoadFromMemory(fixtures::MakeJpeg(Recipe(64, 48, Colour::YCbCr, Coding::Progressive)));
    picture.DIBNeeded();
    ASSERT_NE(picture.Bitmap(), nullptr);
    picture.LoadFromMemory(fixtures::MakeJpeg(Recipe(20, 30, Colour::YCbCr, Coding::Baseline)));
    EXPECT_EQ(picture.Bitmap(), nullptr);
    EXPECT_EQ(picture.Width(), 20);
    EXPECT_EQ(picture.Height(), 30);
    EXPECT_FALSE(picture.ProgressiveEncoding());

    EXPECT_EQ(Message([&] { picture.LoadFromMemory(edits::PngSignature()); }), "JPEG error #52");
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_EQ(picture.Height(), 0);
}

Bytes Stored(const Bytes& file, std::uint32_t count)
{
    Bytes stored(4 + file.size());
    for (int i = 0; i < 4; ++i)
        stored[std::size_t(i)] = std::uint8_t(count >> (8 * i));
    std::copy(file.begin(), file.end(), stored.begin() + 4);
    return stored;
}

TEST(TJPEGImageLoad, ReadsTheStoredFormOfAWindowDescription)
{
    const Bytes file = fixtures::MakeJpeg(Recipe(70, 20, Colour::YCbCr, Coding::Progressive));
    struct Case {
        const char* name;
        Bytes stored;
        std::string message;
    };
    Bytes withTrailer = Stored(file, std::uint32_t(file.size()));
    withTrailer.insert(withTrailer.end(), {1, 2, 3});
    const Case cases[] = {
        {"count and file", Stored(file, std::uint32_t(file.size())), "(no exception)"},
        {"bytes after the counted file", withTrailer, "(no exception)"},
        {"count beyond the data", Stored(file, std::uint32_t(file.size() + 1)), "Stream read error"},
        {"count far beyond the data", Stored(file, 0xFFFFFFFFu), "Stream read error"},
        {"no room for the count", Bytes{4, 0, 0}, "Stream read error"},
        {"count 0", Stored({}, 0), "(no exception)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TJPEGImage picture;
        EXPECT_EQ(Message([&] { picture.ReadData(c.stored.data(), c.stored.size()); }), c.message);
        if (c.message == "(no exception)" && c.stored.size() > 4) {
            EXPECT_EQ(picture.Width(), 70);
            EXPECT_EQ(picture.Height(), 20);
            EXPECT_TRUE(picture.ProgressiveEncoding());
        }
    }
}

TEST(TJPEGImageLoad, AFileShorterThanItsSizeIsAReadError)
{
    // sysfs reports a size of a page for attributes that read back much less.
    const std::string path = "/sys/kernel/mm/transparent_hugepage/enabled";
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 100)
        GTEST_SKIP() << "no sysfs attribute to read";
    TJPEGImage picture;
    EXPECT_EQ(Message([&] { picture.LoadFromFile(path); }), "Stream read error");
}

TEST(TJPEGImageLoad, AFileThatCannotBeHeldInMemoryFailsBeforeItIsRead)
{
    QTemporaryDir dir;
    const std::string small = dir.filePath("small.jpg").toStdString();
    fixtures::WriteFileBytes(small, fixtures::MakeJpeg({}));
    {
        const PinnedMemory pinned(100);
        TJPEGImage picture;
        EXPECT_EQ(Message([&] { picture.LoadFromFile(small); }), "Out of memory while expanding memory stream");
    }

    // A sparse file far larger than the memory there is: refused before any allocation or read.
    const std::string huge = dir.filePath("huge.jpg").toStdString();
    const std::uint64_t size = std::uint64_t(1) << 42;
    const int fd = ::open(huge.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const bool sized = ::ftruncate(fd, off_t(size)) == 0;
    ::close(fd);
    if (!sized || AvailableMemoryBytes() >= size)
        GTEST_SKIP() << "cannot make a file larger than the memory";
    TJPEGImage picture;
    EXPECT_EQ(Message([&] { picture.LoadFromFile(huge); }), "Out of memory while expanding memory stream");
}

TEST(TJPEGImageLoad, AnOrientationTagIsIgnored)
{
    const Bytes plain = fixtures::MakeJpeg(Recipe(64, 48, Colour::YCbCr, Coding::Baseline));
    for (const int orientation : {6, 8}) {
        SCOPED_TRACE(orientation);
        const Bytes tagged = edits::InsertAt(plain, 2, edits::ExifOrientation(orientation));
        ASSERT_EQ(edits::Find(tagged, 0xE1).offset, 2u);
        TJPEGImage picture;
        picture.LoadFromMemory(tagged);
        EXPECT_EQ(picture.Width(), 64);
        EXPECT_EQ(picture.Height(), 48);
        picture.DIBNeeded();
        ASSERT_NE(picture.Bitmap(), nullptr);
        EXPECT_EQ(picture.Width(), 64);
        EXPECT_EQ(picture.Height(), 48);
        const fixtures::Decoded expected = fixtures::DecodeJpeg(plain);
        for (int y = 0; y < 48; ++y)
            ASSERT_EQ(0, std::memcmp(picture.Bitmap()->ScanLine(y), &expected.pixels[std::size_t(y) * 64 * 3], 64 * 3))
                << "row " << y;
    }
}

}  // namespace
