#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "JpegFixtures.h"
#include "imaging/JpegEncoder.h"
#include "vcl/TBitmap.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int SOI = 0xD8, EOI = 0xD9, APP0 = 0xE0, DQT = 0xDB, SOF0 = 0xC0, SOF2 = 0xC2, DHT = 0xC4, SOS = 0xDA;

// The example tables of ITU-T T.81 Annex K.1 and K.2, in natural (row by row) order.
const int kLuminance[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99,
};
const int kChrominance[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
};

// Annex K.3: the typical Huffman tables, as the DHT segment carries them (class and id, 16 counts, values).
Bytes HuffmanSegment(int tableClass, int id, const std::vector<int>& counts, const std::vector<int>& values)
{
    Bytes segment = {static_cast<std::uint8_t>(tableClass << 4 | id)};
    for (int c : counts)
        segment.push_back(static_cast<std::uint8_t>(c));
    for (int v : values)
        segment.push_back(static_cast<std::uint8_t>(v));
    return segment;
}

std::vector<int> Range(int count)
{
    std::vector<int> v(count);
    for (int i = 0; i < count; ++i)
        v[i] = i;
    return v;
}

const std::vector<int> kAcLuminanceValues = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22, 0x71,
    0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72,
    0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37,
    0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59,
    0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3,
    0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3,
    0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2,
    0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa,
};
const std::vector<int> kAcChrominanceValues = {
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71, 0x13, 0x22,
    0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1,
    0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18, 0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36,
    0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58,
    0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a,
    0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba,
    0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda,
    0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa,
};

// The zig-zag order in which a DQT segment lists a table: diagonal by diagonal, alternating direction.
std::vector<int> ZigZag()
{
    std::vector<int> order;
    for (int sum = 0; sum <= 14; ++sum) {
        const int first = std::max(0, sum - 7);
        const int last = std::min(7, sum);
        for (int i = first; i <= last; ++i) {
            const int row = sum % 2 == 1 ? i : sum - i;
            order.push_back(row * 8 + (sum - row));
        }
    }
    return order;
}

// The DQT segment of one example table scaled for a quality as libjpeg's quality rule does it.
Bytes QuantizationSegment(int id, const int* table, int quality)
{
    const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    Bytes segment = {static_cast<std::uint8_t>(id)};
    for (int natural : ZigZag())
        segment.push_back(static_cast<std::uint8_t>(std::clamp((table[natural] * scale + 50) / 100, 1, 255)));
    return segment;
}

std::unique_ptr<TBitmap> NoisyBitmap(int width, int height)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            reinterpret_cast<QRgb*>(bitmap->ScanLine(y))[x] = qRgb(x * 7 % 256, (x * y) % 256, (y * 13 + x) % 256);
    return bitmap;
}

std::vector<int> MarkersOf(const std::vector<fixtures::Segment>& segments)
{
    std::vector<int> markers;
    for (const auto& s : segments)
        markers.push_back(s.marker);
    return markers;
}

Bytes FrameHeader(int width, int height)
{
    return {8,   static_cast<std::uint8_t>(height >> 8), static_cast<std::uint8_t>(height & 0xff),
            static_cast<std::uint8_t>(width >> 8), static_cast<std::uint8_t>(width & 0xff),
            3,   1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1};
}

// A scan header: the component ids of the scan, then Ss, Se and Ah/Al.
Bytes ScanHeader(const std::vector<int>& ids, int ss, int se, int ah, int al, bool baselineTables)
{
    Bytes header = {static_cast<std::uint8_t>(ids.size())};
    for (int id : ids) {
        header.push_back(static_cast<std::uint8_t>(id));
        // Baseline: Y uses tables 0, chrominance tables 1. Progressive scans name their own per-scan tables;
        // their selectors are checked apart.
        header.push_back(baselineTables ? (id == 1 ? 0x00 : 0x11) : 0);
    }
    header.push_back(static_cast<std::uint8_t>(ss));
    header.push_back(static_cast<std::uint8_t>(se));
    header.push_back(static_cast<std::uint8_t>(ah << 4 | al));
    return header;
}

const Bytes kJfif = {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};

}  // namespace

TEST(EncodeJpegLayout, BaselineFileHasExactlyTheStandardSegments)
{
    const int width = 77, height = 45;
    const auto bitmap = NoisyBitmap(width, height);
    const auto segments = fixtures::ReadSegments(EncodeJpeg(*bitmap, 90, false));
    ASSERT_EQ(MarkersOf(segments), (std::vector<int>{SOI, APP0, DQT, DQT, SOF0, DHT, DHT, DHT, DHT, SOS, EOI}));

    EXPECT_EQ(segments[1].data, kJfif);  // length 16: 14 bytes after the length field
    EXPECT_EQ(segments[2].data, QuantizationSegment(0, kLuminance, 90));
    EXPECT_EQ(segments[3].data, QuantizationSegment(1, kChrominance, 90));
    EXPECT_EQ(segments[4].data, FrameHeader(width, height));
    const std::vector<int> dcCounts = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<int> dcChromaCounts = {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
    const std::vector<int> acCounts = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
    const std::vector<int> acChromaCounts = {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77};
    EXPECT_EQ(segments[5].data, HuffmanSegment(0, 0, dcCounts, Range(12)));
    EXPECT_EQ(segments[6].data, HuffmanSegment(1, 0, acCounts, kAcLuminanceValues));
    EXPECT_EQ(segments[7].data, HuffmanSegment(0, 1, dcChromaCounts, Range(12)));
    EXPECT_EQ(segments[8].data, HuffmanSegment(1, 1, acChromaCounts, kAcChrominanceValues));
    EXPECT_EQ(segments[9].data, ScanHeader({1, 2, 3}, 0, 63, 0, 0, true));
}

TEST(EncodeJpegLayout, ProgressiveFileFollowsTheSimpleProgression)
{
    const int width = 300, height = 200;
    const auto bitmap = NoisyBitmap(width, height);
    const auto segments = fixtures::ReadSegments(EncodeJpeg(*bitmap, 90, true));
    ASSERT_GE(segments.size(), 6u);
    EXPECT_EQ(segments[0].marker, SOI);
    EXPECT_EQ(segments[1].marker, APP0);
    EXPECT_EQ(segments[1].data, kJfif);
    EXPECT_EQ(segments[2].marker, DQT);
    EXPECT_EQ(segments[2].data, QuantizationSegment(0, kLuminance, 90));
    EXPECT_EQ(segments[3].marker, DQT);
    EXPECT_EQ(segments[3].data, QuantizationSegment(1, kChrominance, 90));
    EXPECT_EQ(segments[4].marker, SOF2);
    EXPECT_EQ(segments[4].data, FrameHeader(width, height));
    EXPECT_EQ(segments.back().marker, EOI);

    // Between the frame header and the end only Huffman tables and scans; the scans, without their table
    // selectors, in the order of libjpeg's simple progression for Y, Cb, Cr.
    const std::vector<Bytes> expectedScans = {
        ScanHeader({1, 2, 3}, 0, 0, 0, 1, false), ScanHeader({1}, 1, 5, 0, 2, false),
        ScanHeader({3}, 1, 63, 0, 1, false),      ScanHeader({2}, 1, 63, 0, 1, false),
        ScanHeader({1}, 6, 63, 0, 2, false),      ScanHeader({1}, 1, 63, 2, 1, false),
        ScanHeader({1, 2, 3}, 0, 0, 1, 0, false), ScanHeader({3}, 1, 63, 1, 0, false),
        ScanHeader({2}, 1, 63, 1, 0, false),      ScanHeader({1}, 1, 63, 1, 0, false),
    };
    std::vector<Bytes> scans;
    for (std::size_t i = 5; i + 1 < segments.size(); ++i) {
        const int marker = segments[i].marker;
        EXPECT_TRUE(marker == DHT || marker == SOS) << "marker " << std::hex << marker;
        if (marker != SOS)
            continue;
        Bytes scan = segments[i].data;
        for (std::size_t c = 0; c < scan[0]; ++c)
            scan[2 + 2 * c] = 0;
        scans.push_back(scan);
    }
    EXPECT_EQ(scans, expectedScans);
}

TEST(EncodeJpegLayout, QualityScalesTheExampleTables)
{
    const auto bitmap = NoisyBitmap(16, 16);
    for (int quality : {90, 50, 75, 10, 100, 1}) {
        SCOPED_TRACE(quality);
        const auto segments = fixtures::ReadSegments(EncodeJpeg(*bitmap, quality, false));
        ASSERT_GE(segments.size(), 4u);
        EXPECT_EQ(segments[2].data, QuantizationSegment(0, kLuminance, quality));
        EXPECT_EQ(segments[3].data, QuantizationSegment(1, kChrominance, quality));
    }
}
