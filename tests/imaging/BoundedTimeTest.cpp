#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "JpegFixtures.h"
#include "imaging/TJPEGImage.h"
#include "vcl/Exceptions.h"
#include "vcl/TBitmap.h"
#include "vcl/TCanvas.h"

// Hostile files whose decoding could take very long: thousands of scans over a large picture, and a large
// picture whose entropy-coded data is garbage. Each must finish or fail within a bound that grows with the
// picture, never with the number of scans alone. The times are printed, to see how far below the bound they
// stay.

namespace {

using Bytes = std::vector<std::uint8_t>;
using fixtures::Coding;
using fixtures::Colour;
using Clock = std::chrono::steady_clock;

int BigEndian16(const Bytes& file, std::size_t offset)
{
    return file[offset] << 8 | file[offset + 1];
}

// Offset of the FF byte of the first marker with a code from first to last before the first scan's data, found
// by walking the segments from the start of the file.
std::size_t FindHeaderMarker(const Bytes& file, int first, int last)
{
    std::size_t at = 2;
    while (at + 4 <= file.size() && file[at] == 0xFF) {
        if (file[at + 1] >= first && file[at + 1] <= last)
            return at;
        if (file[at + 1] == 0xDA)
            break;
        at += 2 + static_cast<std::size_t>(BigEndian16(file, at + 2));
    }
    ADD_FAILURE() << "no marker " << first << " to " << last << " before the first scan";
    return file.size();
}

// The file with `copies` copies of its first scan header put in just before its end-of-image marker, each
// followed at once by the next marker: scans without data, the cheapest a file can make.
Bytes WithEmptyScans(const Bytes& file, int copies)
{
    const std::size_t scan = FindHeaderMarker(file, 0xDA, 0xDA);
    if (scan == file.size())
        return {};
    const Bytes header(file.begin() + static_cast<long>(scan),
                       file.begin() + static_cast<long>(scan + 2 + BigEndian16(file, scan + 2)));
    Bytes result(file.begin(), file.end() - 2);
    for (int i = 0; i < copies; ++i)
        result.insert(result.end(), header.begin(), header.end());
    result.push_back(0xFF);
    result.push_back(0xD9);
    return result;
}

// A small file's headers declaring width x height, then its first scan header followed by `bytes` of
// pseudo-random data that holds no marker (every FF is followed by a stuffed 00), then the end of image.
Bytes WithGarbageScan(const Bytes& file, int width, int height, std::size_t bytes)
{
    const std::size_t frame = FindHeaderMarker(file, 0xC0, 0xC2);
    const std::size_t scan = FindHeaderMarker(file, 0xDA, 0xDA);
    if (frame == file.size() || scan == file.size())
        return {};
    Bytes result(file.begin(), file.begin() + static_cast<long>(scan + 2 + BigEndian16(file, scan + 2)));
    result[frame + 5] = static_cast<std::uint8_t>(height >> 8);
    result[frame + 6] = static_cast<std::uint8_t>(height & 0xFF);
    result[frame + 7] = static_cast<std::uint8_t>(width >> 8);
    result[frame + 8] = static_cast<std::uint8_t>(width & 0xFF);
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < bytes; ++i) {
        state = state * 1103515245u + 12345u;
        const auto byte = static_cast<std::uint8_t>(state >> 16);
        result.push_back(byte);
        if (byte == 0xFF)
            result.push_back(0x00);
    }
    result.push_back(0xFF);
    result.push_back(0xD9);
    return result;
}

struct Outcome {
    std::string message;  // "(no exception)" when the thumbnail was made
    double seconds = 0;
};

// Loads the file and draws it into a 64 x 64 thumbnail, as a run does.
Outcome Thumbnail(const Bytes& file)
{
    Outcome outcome{"(no exception)"};
    const auto started = Clock::now();
    try {
        TJPEGImage picture;
        picture.LoadFromMemory(file);
        TBitmap thumbnail;
        thumbnail.SetWidth(64);
        thumbnail.SetHeight(64);
        thumbnail.Canvas().StretchDraw(thumbnail.Canvas().ClipRect(), picture);
    } catch (const Exception& e) {
        outcome.message = e.Message();
    }
    outcome.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    return outcome;
}

TEST(BoundedTime, ThousandsOfScansFailAfterTheThousandth)
{
    // libjpeg's simple progression gives a colour picture 10 scans.
    const Bytes progressive = fixtures::MakeJpeg(fixtures::Recipe(2048, 2048, Colour::YCbCr, Coding::Progressive));
    struct Case {
        const char* name;
        int addedScans;
        const char* message;
        double boundSeconds;
    };
    const Case cases[] = {
        {"1000 scans in all decode", 990, "(no exception)", 30},
        {"1001 scans fail", 991, "JPEG error #14", 30},
        {"100000 scans fail as fast", 99990, "JPEG error #14", 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = Thumbnail(WithEmptyScans(progressive, c.addedScans));
        std::cout << c.name << ": " << outcome.seconds << " s\n";
        EXPECT_EQ(outcome.message, c.message);
        EXPECT_LT(outcome.seconds, c.boundSeconds);
    }
}

TEST(BoundedTime, GarbageEntropyDataEndsWithThePicture)
{
    const Bytes small = fixtures::MakeJpeg(fixtures::Recipe(16, 16));
    const Bytes progressive = fixtures::MakeJpeg(fixtures::Recipe(16, 16, Colour::YCbCr, Coding::Progressive));
    struct Case {
        const char* name;
        Bytes file;
        double boundSeconds;
    };
    const Case cases[] = {
        {"baseline 8192 x 8192, 16 MB of garbage", WithGarbageScan(small, 8192, 8192, 16u << 20), 60},
        {"baseline 8192 x 8192, 1 KB of garbage", WithGarbageScan(small, 8192, 8192, 1024), 60},
        {"progressive 8192 x 8192, 16 MB of garbage", WithGarbageScan(progressive, 8192, 8192, 16u << 20), 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = Thumbnail(c.file);
        std::cout << c.name << ": " << outcome.seconds << " s, " << outcome.message << "\n";
        // libjpeg recovers from corrupt data by itself, and its warnings are not errors.
        EXPECT_EQ(outcome.message, "(no exception)");
        EXPECT_LT(outcome.seconds, c.boundSeconds);
    }
}

}  // namespace
