#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "imaging/JpegEncoder.h"
#include "imaging/JpegHeader.h"
#include "imaging/TJPEGImage.h"
#include "ui/ThumbnailSize.h"
#include "vcl/Exceptions.h"
#include "vcl/MemoryBudget.h"
#include "vcl/TBitmap.h"
#include "vcl/TCanvas.h"

// Bytes as the source file of a run: loaded, measured, drawn into a small thumbnail, taken over and encoded.
// Any of our exceptions is a proper answer to a bad file; anything else escaping, a crash, a sanitizer report
// or a broken property is a finding.

namespace {

// Enough for every honest small picture; a file that declares more fails with "Out of system resources" at
// once, so a run measures parsing rather than allocation.
constexpr std::uint64_t kMemoryBytes = std::uint64_t(256) << 20;

bool IsJpegFile(const std::vector<std::uint8_t>& bytes)
{
    return bytes.size() >= 4 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[bytes.size() - 2] == 0xFF &&
           bytes[bytes.size() - 1] == 0xD9;
}

void MakeThumbnail(const std::uint8_t* data, std::size_t size)
{
    TJPEGImage jpeg;
    jpeg.LoadFromMemory(std::vector<std::uint8_t>(data, data + size));
    const int width = jpeg.Width();
    const int height = jpeg.Height();
    FUZZ_CHECK(width >= 0 && width <= 65500 && height >= 0 && height <= 65500);

    // The target size varies with the input, so that shrinking and enlarging are both met.
    const int n = 1 + static_cast<int>(size % 48);
    const TThumbnailSize side = ThumbnailSize(n, width, height);
    FUZZ_CHECK(side.Width >= 0 && side.Width <= n && side.Height >= 0 && side.Height <= n);

    TBitmap thumbnail;
    thumbnail.SetWidth(side.Width);
    thumbnail.SetHeight(side.Height);
    thumbnail.Canvas().StretchDraw(thumbnail.Canvas().ClipRect(), jpeg);
    const TBitmap* decoded = jpeg.Bitmap();
    FUZZ_CHECK(decoded != nullptr);
    FUZZ_CHECK(decoded->Width() == width && decoded->Height() == height);

    const bool progressive = jpeg.ProgressiveEncoding();
    jpeg.Assign(thumbnail);
    FUZZ_CHECK(jpeg.Width() == side.Width && jpeg.Height() == side.Height);
    if (!thumbnail.HasPixels())
        return;
    const std::vector<std::uint8_t> encoded = EncodeJpeg(*jpeg.Bitmap(), jpeg.CompressionQuality(), progressive);
    FUZZ_CHECK(IsJpegFile(encoded));
    const JpegHeader header = ReadJpegHeader(encoded.data(), encoded.size());
    FUZZ_CHECK(header.width == side.Width && header.height == side.Height);
    FUZZ_CHECK(header.multipleScans == progressive);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    SetAvailableMemoryBytesForTesting(kMemoryBytes);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The size also picks the pixel format, so that the paletted path of 8-bit displays is fuzzed too.
    TJPEGImage::SetDefaultPixelFormat(size % 2 != 0 ? TJPEGPixelFormat::jf8Bit : TJPEGPixelFormat::jf24Bit);
    try {
        MakeThumbnail(data, size);
    } catch (const Exception&) {
    }
    return 0;
}
