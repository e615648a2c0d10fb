#include <gtest/gtest.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include "JpegFixtures.h"
#include "imaging/JpegEncoder.h"
#include "vcl/Exceptions.h"
#include "vcl/MemoryBudget.h"
#include "vcl/TBitmap.h"

namespace {

// The colour of pixel (x, y) in the test pictures: a smooth gradient with solid patches of pure colours, so
// that swapped channels show.
void TestColour(int x, int y, std::uint8_t* rgb)
{
    const int patch = (x / 16 + 2 * (y / 16)) % 4;
    if (x % 64 < 32 && y % 64 < 32 && patch != 0) {
        rgb[0] = patch == 1 ? 230 : 20;
        rgb[1] = patch == 2 ? 220 : 30;
        rgb[2] = patch == 3 ? 210 : 40;
        return;
    }
    rgb[0] = static_cast<std::uint8_t>(x * 3 & 0xff);
    rgb[1] = static_cast<std::uint8_t>(y * 5 & 0xff);
    rgb[2] = static_cast<std::uint8_t>((x + 2 * y) & 0xff);
}

// A bitmap of the given format holding TestColour. A pf8bit bitmap gets a palette of 216 colours (six levels
// per channel), and its pixels the nearest entry.
std::unique_ptr<TBitmap> MakeBitmap(TPixelFormat format, int width, int height)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(format);
    bitmap->SetSize(width, height);
    if (format == TPixelFormat::pf8bit) {
        QVector<QRgb> palette;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    palette.push_back(qRgb(r * 51, g * 51, b * 51));
        bitmap->SetPalette(palette);
    }
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap->ScanLine(y);
        for (int x = 0; x < width; ++x) {
            std::uint8_t rgb[3];
            TestColour(x, y, rgb);
            switch (format) {
            case TPixelFormat::pfDevice:
                reinterpret_cast<QRgb*>(row)[x] = qRgb(rgb[0], rgb[1], rgb[2]);
                break;
            case TPixelFormat::pf24bit:
                std::copy(rgb, rgb + 3, row + 3 * x);
                break;
            case TPixelFormat::pf8bit:
                row[x] = static_cast<std::uint8_t>((rgb[0] + 25) / 51 * 36 + (rgb[1] + 25) / 51 * 6 + (rgb[2] + 25) / 51);
                break;
            }
        }
    }
    return bitmap;
}

// The bitmap's colours as R, G, B rows, read through Qt.
std::vector<std::uint8_t> RgbOf(const TBitmap& bitmap)
{
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const QRgb p = bitmap.Pixel(x, y);
            rgb.push_back(static_cast<std::uint8_t>(qRed(p)));
            rgb.push_back(static_cast<std::uint8_t>(qGreen(p)));
            rgb.push_back(static_cast<std::uint8_t>(qBlue(p)));
        }
    return rgb;
}

struct ReferenceJob {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    std::jmp_buf jump;
    unsigned char* out;
    unsigned long outSize;
};

void JumpBack(j_common_ptr cinfo)
{
    std::longjmp(static_cast<ReferenceJob*>(cinfo->client_data)->jump, 1);
}

bool RunReference(ReferenceJob& job, const std::vector<std::uint8_t>& rgb, int width, int height, bool progressive)
{
    jpeg_compress_struct& c = job.cinfo;
    c.err = jpeg_std_error(&job.err);
    job.err.error_exit = JumpBack;
    c.client_data = &job;
    if (setjmp(job.jump)) {
        jpeg_destroy_compress(&c);
        return false;
    }
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, &job.out, &job.outSize);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    c.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&c, 90, TRUE);
    if (progressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + std::size_t(c.next_scanline) * width * 3);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return true;
}

// The same settings with plain R, G, B input, straight through libjpeg.
std::vector<std::uint8_t> ReferenceEncoding(const std::vector<std::uint8_t>& rgb, int width, int height, bool progressive)
{
    auto job = std::make_unique<ReferenceJob>();
    *job = {};
    const bool ok = RunReference(*job, rgb, width, height, progressive);
    std::vector<std::uint8_t> file;
    if (ok)
        file.assign(job->out, job->out + job->outSize);
    std::free(job->out);
    EXPECT_TRUE(ok) << "reference encoding failed";
    return file;
}

const char* FormatName(TPixelFormat format)
{
    switch (format) {
    case TPixelFormat::pfDevice:
        return "pfDevice";
    case TPixelFormat::pf24bit:
        return "pf24bit";
    case TPixelFormat::pf8bit:
        return "pf8bit";
    }
    return "?";
}

class MemoryPin {
public:
    explicit MemoryPin(std::uint64_t bytes) { SetAvailableMemoryBytesForTesting(bytes); }
    ~MemoryPin() { SetAvailableMemoryBytesForTesting(0); }
};

}  // namespace

// Every pixel format gives exactly the bytes that libjpeg makes of the same colours handed over as R, G, B.
TEST(EncodeJpeg, OutputEqualsPlainRgbInputOfTheSameColours)
{
    const TPixelFormat formats[] = {TPixelFormat::pfDevice, TPixelFormat::pf24bit, TPixelFormat::pf8bit};
    const struct {
        int width;
        int height;
    } sizes[] = {{97, 61}, {640, 1}, {1, 640}, {1, 1}, {16, 16}};
    for (TPixelFormat format : formats)
        for (const auto& size : sizes)
            for (bool progressive : {false, true}) {
                SCOPED_TRACE(std::string(FormatName(format)) + " " + std::to_string(size.width) + "x" +
                             std::to_string(size.height) + (progressive ? " progressive" : " baseline"));
                const auto bitmap = MakeBitmap(format, size.width, size.height);
                const std::vector<std::uint8_t> encoded = EncodeJpeg(*bitmap, 90, progressive);
                const std::vector<std::uint8_t> expected =
                    ReferenceEncoding(RgbOf(*bitmap), size.width, size.height, progressive);
                ASSERT_FALSE(expected.empty());
                EXPECT_TRUE(encoded == expected) << "encoded " << encoded.size() << " bytes, expected "
                                                 << expected.size();
            }
}

TEST(EncodeJpeg, DecodesToTheSizeAndColoursOfTheBitmap)
{
    const TPixelFormat formats[] = {TPixelFormat::pfDevice, TPixelFormat::pf24bit, TPixelFormat::pf8bit};
    for (TPixelFormat format : formats)
        for (bool progressive : {false, true}) {
            SCOPED_TRACE(std::string(FormatName(format)) + (progressive ? " progressive" : " baseline"));
            const auto bitmap = MakeBitmap(format, 130, 70);
            const fixtures::Decoded decoded = fixtures::DecodeJpeg(EncodeJpeg(*bitmap, 90, progressive));
            ASSERT_EQ(decoded.width, 130);
            ASSERT_EQ(decoded.height, 70);
            ASSERT_EQ(decoded.components, 3);
            const std::vector<std::uint8_t> original = RgbOf(*bitmap);
            long long totalError = 0;
            for (std::size_t i = 0; i < original.size(); ++i)
                totalError += std::abs(int(decoded.pixels[i]) - int(original[i]));
            // Quality 90 stays within a few levels on average, even on the palette picture's hard steps; swapped
            // or shifted channels would be off by tens.
            EXPECT_LT(double(totalError) / double(original.size()), 8.0);
            // The centres of the solid patches keep their colour closely, so no channels are swapped.
            const std::pair<int, int> centres[] = {{24, 8}, {8, 24}, {24, 24}, {88, 8}};
            for (const auto& centre : centres) {
                SCOPED_TRACE(std::to_string(centre.first) + "," + std::to_string(centre.second));
                const std::size_t at = (std::size_t(centre.second) * 130 + centre.first) * 3;
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(decoded.pixels[at + c], original[at + c], 8) << "channel " << c;
            }
        }
}

TEST(EncodeJpeg, ThinThumbnailsAndTheLargestSideEncode)
{
    const struct {
        int width;
        int height;
    } sizes[] = {{640, 1}, {1, 640}, {1, 1}, {65500, 1}, {1, 65500}, {2, 3}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        const auto bitmap = MakeBitmap(TPixelFormat::pfDevice, size.width, size.height);
        const fixtures::Decoded decoded = fixtures::DecodeJpeg(EncodeJpeg(*bitmap, 90, false));
        EXPECT_EQ(decoded.width, size.width);
        EXPECT_EQ(decoded.height, size.height);
    }
}

TEST(EncodeJpeg, SidesOverTheLimitRaiseJpegError40)
{
    const struct {
        int width;
        int height;
    } sizes[] = {{65501, 1}, {1, 65501}, {65501, 2}, {70000, 1}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        const auto bitmap = MakeBitmap(TPixelFormat::pfDevice, size.width, size.height);
        try {
            EncodeJpeg(*bitmap, 90, false);
            ADD_FAILURE() << "encoded";
        } catch (const EJPEG& e) {
            EXPECT_EQ(e.Message(), "JPEG error #40");
            EXPECT_EQ(e.Code(), 40);
        }
    }
}

TEST(EncodeJpeg, OutputThatCannotGrowRaisesTheMemoryStreamError)
{
    const auto bitmap = MakeBitmap(TPixelFormat::pfDevice, 400, 300);
    for (std::uint64_t budget : {std::uint64_t(1), std::uint64_t(20000)}) {
        SCOPED_TRACE(budget);
        MemoryPin pin(budget);
        try {
            EncodeJpeg(*bitmap, 90, false);
            ADD_FAILURE() << "encoded";
        } catch (const EMemoryStreamError& e) {
            EXPECT_EQ(e.Message(), "Out of memory while expanding memory stream");
        }
    }
    EXPECT_FALSE(EncodeJpeg(*bitmap, 90, false).empty());
}

TEST(EncodeJpeg, BitmapWithoutPixelsIsRefused)
{
    const struct {
        int width;
        int height;
        const char* message;
    } cases[] = {
        {0, 0, "Cannot make a thumbnail of 0 x 0 pixels"},
        {0, 640, "Cannot make a thumbnail of 0 x 640 pixels"},
        {640, 0, "Cannot make a thumbnail of 640 x 0 pixels"},
        {-5, 3, "Cannot make a thumbnail of -5 x 3 pixels"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        TBitmap bitmap;
        bitmap.SetSize(c.width, c.height);
        try {
            EncodeJpeg(bitmap, 90, false);
            ADD_FAILURE() << "encoded";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}
