#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdint>
#include <memory>
#include <numeric>
#include <vector>

#include <jerror.h>

#include "imaging/JpegMemorySource.h"

namespace {

// A decompressor that is never created: the source only needs the error manager and its own pointer, and the
// test calls the source's functions as libjpeg would.
struct Harness {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    std::jmp_buf jump;
    int warnings;
    int lastWarning;
    JpegMemorySource source;
};

void JumpBack(j_common_ptr cinfo)
{
    std::longjmp(static_cast<Harness*>(cinfo->client_data)->jump, 1);
}

void CountWarning(j_common_ptr cinfo, int level)
{
    auto* harness = static_cast<Harness*>(cinfo->client_data);
    if (level < 0) {
        ++harness->warnings;
        harness->lastWarning = cinfo->err->msg_code;
    }
}

std::unique_ptr<Harness> MakeHarness(const std::vector<std::uint8_t>& data)
{
    auto harness = std::make_unique<Harness>();
    harness->cinfo.err = jpeg_std_error(&harness->err);
    harness->err.error_exit = JumpBack;
    harness->err.emit_message = CountWarning;
    harness->cinfo.client_data = harness.get();
    AttachJpegMemorySource(&harness->cinfo, harness->source, data.data(), data.size());
    harness->source.pub.init_source(&harness->cinfo);
    return harness;
}

// Returns the error code, or 0 when the fill succeeded.
int Fill(Harness& harness)
{
    if (setjmp(harness.jump))
        return harness.err.msg_code;
    harness.source.pub.fill_input_buffer(&harness.cinfo);
    return 0;
}

std::vector<std::uint8_t> Counting(std::size_t size)
{
    std::vector<std::uint8_t> data(size);
    std::iota(data.begin(), data.end(), std::uint8_t(0));
    return data;
}

TEST(JpegMemorySource, HandsOutTheDataFromTheFirstByteInFillsOfAtMost4096)
{
    const auto data = Counting(10000);
    auto harness = MakeHarness(data);
    std::vector<std::size_t> fills;
    std::vector<std::uint8_t> seen;
    while (seen.size() < data.size()) {
        ASSERT_EQ(Fill(*harness), 0);
        const jpeg_source_mgr& pub = harness->source.pub;
        fills.push_back(pub.bytes_in_buffer);
        seen.insert(seen.end(), pub.next_input_byte, pub.next_input_byte + pub.bytes_in_buffer);
    }
    EXPECT_EQ(fills, (std::vector<std::size_t>{4096, 4096, 1808}));
    EXPECT_EQ(seen, data);
    EXPECT_EQ(harness->warnings, 0);
}

TEST(JpegMemorySource, SuppliesAnEndOfImageMarkerWithAWarningOnceTheDataIsUsedUp)
{
    const auto data = Counting(10);
    auto harness = MakeHarness(data);
    ASSERT_EQ(Fill(*harness), 0);
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(Fill(*harness), 0);
        const jpeg_source_mgr& pub = harness->source.pub;
        ASSERT_EQ(pub.bytes_in_buffer, 2u);
        EXPECT_EQ(pub.next_input_byte[0], 0xFF);
        EXPECT_EQ(pub.next_input_byte[1], 0xD9);
        EXPECT_EQ(harness->warnings, round);
        EXPECT_EQ(harness->lastWarning, JWRN_JPEG_EOF);
    }
}

TEST(JpegMemorySource, EmptyDataFailsAtTheFirstFill)
{
    const std::vector<std::uint8_t> data;
    auto harness = MakeHarness(data);
    EXPECT_EQ(Fill(*harness), JERR_INPUT_EMPTY);
}

struct SkipCase {
    const char* name;
    long skip;
    int nextByte;  // the byte the next read delivers; -1 for the inserted end-of-image marker
};

TEST(JpegMemorySource, SkipsWithinAndBeyondTheBytesHandedOut)
{
    const SkipCase cases[] = {
        {"within the fill", 100, 100},
        {"to the end of the fill", 4096, 4096 & 0xFF},
        {"beyond the fill", 5000, 5000 & 0xFF},
        {"to the last byte", 9999, 9999 & 0xFF},
        {"to the end of the data", 10000, -1},
        {"far past the end of the data", 1000000, -1},
        {"nothing", 0, 0},
        {"a negative count", -5, 0},
    };
    const auto data = Counting(10000);
    for (const SkipCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto harness = MakeHarness(data);
        ASSERT_EQ(Fill(*harness), 0);
        harness->source.pub.skip_input_data(&harness->cinfo, c.skip);
        if (harness->source.pub.bytes_in_buffer == 0) {
            ASSERT_EQ(Fill(*harness), 0);
        }
        const jpeg_source_mgr& pub = harness->source.pub;
        if (c.nextByte < 0) {
            ASSERT_EQ(pub.bytes_in_buffer, 2u);
            EXPECT_EQ(pub.next_input_byte[0], 0xFF);
            EXPECT_EQ(pub.next_input_byte[1], 0xD9);
        } else {
            EXPECT_EQ(pub.next_input_byte[0], c.nextByte);
            EXPECT_LE(pub.bytes_in_buffer, JpegMemorySource::kFillBytes);
        }
    }
}

TEST(JpegMemorySource, SkippingPastTheInsertedMarkerSuppliesItAgain)
{
    const auto data = Counting(3);
    auto harness = MakeHarness(data);
    ASSERT_EQ(Fill(*harness), 0);
    ASSERT_EQ(Fill(*harness), 0);
    harness->source.pub.skip_input_data(&harness->cinfo, 50);
    ASSERT_EQ(harness->source.pub.bytes_in_buffer, 0u);
    ASSERT_EQ(Fill(*harness), 0);
    ASSERT_EQ(harness->source.pub.bytes_in_buffer, 2u);
    EXPECT_EQ(harness->source.pub.next_input_byte[1], 0xD9);
}

}  // namespace
