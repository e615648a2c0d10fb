#include "imaging/JpegEncoder.h"

#include <QSysInfo>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include "imaging/JpegErrorManager.h"
#include "vcl/Exceptions.h"
#include "vcl/MemoryBudget.h"
#include "vcl/TBitmap.h"

#ifndef JCS_EXTENSIONS
#error "libjpeg-turbo's extended colour spaces are needed to hand over 32-bit rows unchanged"
#endif

namespace {

constexpr std::size_t kFirstOutputSize = 16 * 1024;

// Everything libjpeg touches during one encoding. It lives in EncodeJpeg's frame, which a jump from libjpeg's
// error exit never skips; the steps below hold nothing that needs destroying.
struct EncodeJob {
    jpeg_compress_struct cinfo;
    JpegErrorManager error;
    jpeg_destination_mgr destination;
    std::vector<std::uint8_t>* output;

    JDIMENSION width;
    JDIMENSION height;
    J_COLOR_SPACE colorSpace;
    int components;
    int quality;
    bool progressive;

    const TBitmap* bitmap;
    // Palette pictures are expanded into this row, one row at a time; null when rows go over unchanged.
    std::uint8_t* rgbRow;
    const std::uint8_t* paletteRgb;  // 256 entries of R, G, B
};

EncodeJob* JobOf(j_compress_ptr cinfo)
{
    return static_cast<EncodeJob*>(cinfo->client_data);
}

// The output may not grow: the caller learns it as "Out of memory while expanding memory stream".
[[noreturn]] void OutputFull(j_compress_ptr cinfo)
{
    JobOf(cinfo)->error.memoryStreamFull = true;
    ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    std::abort();  // our error exit never returns
}

// Called from libjpeg's C frames: no exception may leave it, so a failed allocation becomes a flag first and
// the jump is taken only after the try block has ended.
bool GrowOutput(EncodeJob* job, std::size_t size)
{
    if (size > AvailableMemoryBytes() || size > job->output->max_size())
        return false;
    bool grown = true;
    try {
        job->output->resize(size);
    } catch (...) {
        grown = false;
    }
    return grown;
}

void InitDestination(j_compress_ptr cinfo)
{
    EncodeJob* job = JobOf(cinfo);
    if (!GrowOutput(job, kFirstOutputSize))
        OutputFull(cinfo);
    job->destination.next_output_byte = job->output->data();
    job->destination.free_in_buffer = job->output->size();
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo)
{
    EncodeJob* job = JobOf(cinfo);
    const std::size_t used = job->output->size();
    if (used > job->output->max_size() / 2 || !GrowOutput(job, used * 2))
        OutputFull(cinfo);
    job->destination.next_output_byte = job->output->data() + used;
    job->destination.free_in_buffer = job->output->size() - used;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo)
{
    EncodeJob* job = JobOf(cinfo);
    job->output->resize(job->output->size() - job->destination.free_in_buffer);
}

void CreateStep(void* context)
{
    auto* job = static_cast<EncodeJob*>(context);
    jpeg_create_compress(&job->cinfo);
}

void StartStep(void* context)
{
    auto* job = static_cast<EncodeJob*>(context);
    jpeg_compress_struct& c = job->cinfo;
    job->destination.init_destination = InitDestination;
    job->destination.empty_output_buffer = EmptyOutputBuffer;
    job->destination.term_destination = TermDestination;
    c.dest = &job->destination;
    c.image_width = job->width;
    c.image_height = job->height;
    c.input_components = job->components;
    c.in_color_space = job->colorSpace;
    jpeg_set_defaults(&c);
    c.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&c, job->quality, TRUE);
    if (job->progressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
}

void WriteRowsStep(void* context)
{
    auto* job = static_cast<EncodeJob*>(context);
    jpeg_compress_struct& c = job->cinfo;
    while (c.next_scanline < c.image_height) {
        const std::uint8_t* source = job->bitmap->ScanLine(static_cast<int>(c.next_scanline));
        JSAMPROW row;
        if (job->rgbRow) {
            for (JDIMENSION x = 0; x < job->width; ++x)
                std::memcpy(job->rgbRow + 3 * x, job->paletteRgb + 3 * source[x], 3);
            row = job->rgbRow;
        } else {
            // libjpeg only reads the rows it is given.
            row = const_cast<JSAMPROW>(source);
        }
        jpeg_write_scanlines(&c, &row, 1);
    }
}

void FinishStep(void* context)
{
    auto* job = static_cast<EncodeJob*>(context);
    jpeg_finish_compress(&job->cinfo);
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const TBitmap& bitmap, int quality, bool progressive)
{
    if (!bitmap.HasPixels())
        throw EInvalidGraphic("Cannot make a thumbnail of " + std::to_string(bitmap.Width()) + " x " +
                              std::to_string(bitmap.Height()) + " pixels");

    std::vector<std::uint8_t> output;
    std::vector<std::uint8_t> rgbRow;
    std::vector<std::uint8_t> paletteRgb;

    EncodeJob job{};
    job.output = &output;
    job.width = static_cast<JDIMENSION>(bitmap.Width());
    job.height = static_cast<JDIMENSION>(bitmap.Height());
    job.quality = quality;
    job.progressive = progressive;
    job.bitmap = &bitmap;
    switch (bitmap.PixelFormat()) {
    case TPixelFormat::pfDevice:
        // 32-bit words 0xffRRGGBB: in memory B, G, R, X on a little-endian machine, X, R, G, B on a big-endian one.
        job.colorSpace = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
        job.components = 4;
        break;
    case TPixelFormat::pf8bit: {
        paletteRgb.assign(256 * 3, 0);
        const QVector<QRgb> palette = bitmap.Palette();
        for (int i = 0; i < palette.size() && i < 256; ++i) {
            paletteRgb[3 * i] = static_cast<std::uint8_t>(qRed(palette[i]));
            paletteRgb[3 * i + 1] = static_cast<std::uint8_t>(qGreen(palette[i]));
            paletteRgb[3 * i + 2] = static_cast<std::uint8_t>(qBlue(palette[i]));
        }
        rgbRow.assign(static_cast<std::size_t>(job.width) * 3, 0);
        job.rgbRow = rgbRow.data();
        job.paletteRgb = paletteRgb.data();
        job.colorSpace = JCS_RGB;
        job.components = 3;
        break;
    }
    case TPixelFormat::pf24bit:
        job.colorSpace = JCS_RGB;
        job.components = 3;
        break;
    }

    job.cinfo.err = InitJpegErrorManager(job.error);
    job.cinfo.client_data = &job;
    int code = CallJpeg(job.error, CreateStep, &job);
    if (code == 0)
        code = CallJpeg(job.error, StartStep, &job);
    if (code == 0)
        code = CallJpeg(job.error, WriteRowsStep, &job);
    if (code == 0)
        code = CallJpeg(job.error, FinishStep, &job);
    jpeg_destroy_compress(&job.cinfo);
    if (code != 0)
        ThrowJpegError(job.error, code);
    return output;
}
