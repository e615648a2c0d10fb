#include "imaging/JpegDecoder.h"

#include <algorithm>
#include <climits>
#include <vector>

#include <jerror.h>

#include "imaging/JpegDecompressor.h"
#include "imaging/JpegErrorNumbers.h"
#include "vcl/Exceptions.h"
#include "vcl/MemoryBudget.h"
#include "vcl/TBitmap.h"

namespace {

constexpr int kPaletteColours = 236;

std::uint64_t RoundUp(std::uint64_t value, std::uint64_t multiple)
{
    return (value + multiple - 1) / multiple * multiple;
}

// The memory a decoding takes: the decoded bitmap, and libjpeg's whole-picture buffers (every block's
// coefficients for a file of several scans; the colour-converted picture and histogram for the two-pass
// quantizer), plus an allowance for the rows and tables libjpeg keeps besides.
std::uint64_t DecodingBytes(const jpeg_decompress_struct& info, bool multipleScans, bool paletted)
{
    const std::uint64_t width = info.output_width;
    const std::uint64_t height = info.output_height;
    std::uint64_t bytes = RoundUp(width * (paletted ? 1 : 3), 4) * height;
    if (multipleScans)
        for (int i = 0; i < info.num_components; ++i) {
            const jpeg_component_info& component = info.comp_info[i];
            bytes += RoundUp(component.width_in_blocks, std::uint64_t(component.h_samp_factor)) *
                     RoundUp(component.height_in_blocks, std::uint64_t(component.v_samp_factor)) * sizeof(JBLOCK);
        }
    if (info.quantize_colors && info.two_pass_quantize && info.out_color_components == 3)
        bytes += width * 3 * RoundUp(height, std::uint64_t(info.max_v_samp_factor) * DCTSIZE) + 32 * 64 * 32 * 2;
    return bytes + width * 4 * 64 + (std::uint64_t(1) << 20);
}

QVector<QRgb> PaletteOf(const jpeg_decompress_struct& info)
{
    QVector<QRgb> palette(info.actual_number_of_colors);
    for (int i = 0; i < info.actual_number_of_colors; ++i) {
        if (info.out_color_components == 1) {
            const int level = info.colormap[0][i];
            palette[i] = qRgb(level, level, level);
        } else {
            palette[i] = qRgb(info.colormap[0][i], info.colormap[1][i], info.colormap[2][i]);
        }
    }
    return palette;
}

// Ink to light: Adobe's files store inverted samples (255 = no ink), which multiply directly; plain ink is
// inverted first.
void InksToRgb(const JSAMPLE* inks, std::uint8_t* rgb, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, inks += 4, rgb += 3) {
        const unsigned k = inverted ? inks[3] : 255u - inks[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned light = inverted ? inks[c] : 255u - inks[c];
            rgb[c] = static_cast<std::uint8_t>((light * k + 127) / 255);
        }
    }
}

struct RowReading {
    j_decompress_ptr cinfo;
    std::uint8_t* firstRow;
    std::size_t stride;
    JSAMPLE* inkRow;  // null unless four-component rows go through it for conversion
    bool inverted;
};

void ReadRows(void* context)
{
    auto* reading = static_cast<RowReading*>(context);
    j_decompress_ptr cinfo = reading->cinfo;
    while (cinfo->output_scanline < cinfo->output_height) {
        std::uint8_t* target = reading->firstRow + std::size_t(cinfo->output_scanline) * reading->stride;
        JSAMPROW row = reading->inkRow ? reading->inkRow : target;
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1)
            return;
        if (reading->inkRow)
            InksToRgb(reading->inkRow, target, cinfo->output_width, reading->inverted);
    }
}

}  // namespace

std::unique_ptr<TBitmap> DecodeJpegToBitmap(const std::uint8_t* data, std::size_t size,
                                            TJPEGPixelFormat pixelFormat)
{
    JpegDecompressor decompressor(data, size);
    jpeg_decompress_struct& info = decompressor.Info();
    // libjpeg-turbo decodes arithmetic coding, the classic library never did: such files stay refused, with the
    // classic library's error.
    if (info.arith_code)
        throw EJPEG(ClassicJpegErrorNumber(JERR_ARITH_NOTIMPL));
    // Two or five to ten components name no colour space, so there are no colours to show.
    if (info.out_color_space == JCS_UNKNOWN)
        throw EJPEG(ClassicJpegErrorNumber(JERR_CONVERSION_NOTIMPL));
    // libjpeg would quantize the inks rather than the colours they make, so four-component pictures are converted
    // here and stay 24-bit.
    const bool inks = info.out_color_space == JCS_CMYK;

    info.scale_num = 1;
    info.scale_denom = 1;
    info.do_block_smoothing = TRUE;
    const bool paletted =
        !inks && (pixelFormat == TJPEGPixelFormat::jf8Bit || info.out_color_space == JCS_GRAYSCALE);
    if (paletted) {
        info.quantize_colors = TRUE;
        info.desired_number_of_colors = kPaletteColours;
    }
    info.dct_method = JDCT_FLOAT;

    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(paletted ? TPixelFormat::pf8bit : TPixelFormat::pf24bit);

    // A tiny file may declare a huge picture: refuse at once what cannot fit rather than drive the machine
    // into swap. libjpeg's own limit is the second guard.
    const bool multipleScans = decompressor.HasMultipleScans();
    decompressor.CalcOutputDimensions();
    const std::uint64_t available = AvailableMemoryBytes();
    if (DecodingBytes(info, multipleScans, paletted) > available)
        throw EOutOfResources();
    info.mem->max_memory_to_use = static_cast<long>(std::min<std::uint64_t>(available, LONG_MAX));

    decompressor.StartDecompress();
    // Every row is written below before the bitmap leaves this function (a decoding that stops short raises an
    // error and the bitmap is dropped), so painting it white first would only cost a pass over the picture.
    bitmap->SetSizeUnfilled(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    if (info.quantize_colors)
        bitmap->SetPalette(PaletteOf(info));

    std::vector<JSAMPLE> inkRow(inks ? std::size_t(info.output_width) * 4 : 0);
    RowReading reading{&info, bitmap->ScanLine(0), static_cast<std::size_t>(bitmap->BytesPerLine()),
                       inks ? inkRow.data() : nullptr, info.saw_Adobe_marker != FALSE};
    decompressor.Run(ReadRows, &reading);
    decompressor.FinishDecompress();
    return bitmap;
}
