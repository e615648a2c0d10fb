#include "bench/LibjpegFloor.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

#include "imaging/JpegErrorManager.h"
#include "ui/ThumbnailSize.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRowsPerCall = 16;

// Plain data for the libjpeg steps; buffers are owned by the caller's frame, which no jump skips.
struct DecodeJob {
    jpeg_decompress_struct cinfo;
    JpegErrorManager error;
    const std::uint8_t* data;
    unsigned long size;
    bool multipleScans;
    std::uint8_t* pixels;
    std::size_t stride;
    std::uint8_t greyLevels[256];
};

void StartDecodeStep(void* context)
{
    auto* job = static_cast<DecodeJob*>(context);
    jpeg_decompress_struct& d = job->cinfo;
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, job->data, job->size);
    jpeg_read_header(&d, TRUE);
    job->multipleScans = jpeg_has_multiple_scans(&d) != FALSE;
    d.scale_num = 1;
    d.scale_denom = 1;
    d.do_block_smoothing = TRUE;
    if (d.out_color_space == JCS_GRAYSCALE) {
        d.quantize_colors = TRUE;
        d.desired_number_of_colors = 236;
    }
    d.dct_method = JDCT_FLOAT;
    jpeg_start_decompress(&d);
}

void ReadRowsStep(void* context)
{
    auto* job = static_cast<DecodeJob*>(context);
    jpeg_decompress_struct& d = job->cinfo;
    if (d.quantize_colors)
        for (int i = 0; i < d.actual_number_of_colors && i < 256; ++i)
            job->greyLevels[i] = d.colormap[0][i];
    JSAMPROW rows[kRowsPerCall];
    while (d.output_scanline < d.output_height) {
        const JDIMENSION first = d.output_scanline;
        int count = 0;
        for (; count < kRowsPerCall && first + JDIMENSION(count) < d.output_height; ++count)
            rows[count] = job->pixels + (first + JDIMENSION(count)) * job->stride;
        jpeg_read_scanlines(&d, rows, JDIMENSION(count));
    }
    jpeg_finish_decompress(&d);
}

struct EncodeJob {
    jpeg_compress_struct cinfo;
    JpegErrorManager error;
    unsigned char* output;
    unsigned long outputSize;
    JSAMPROW* rows;
    int width;
    int height;
    bool progressive;
};

void EncodeStep(void* context)
{
    auto* job = static_cast<EncodeJob*>(context);
    jpeg_compress_struct& c = job->cinfo;
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, &job->output, &job->outputSize);
    c.image_width = JDIMENSION(job->width);
    c.image_height = JDIMENSION(job->height);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    c.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&c, 90, TRUE);
    if (job->progressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height)
        jpeg_write_scanlines(&c, job->rows + c.next_scanline, c.image_height - c.next_scanline);
    jpeg_finish_compress(&c);
}

std::vector<std::uint8_t> ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size())))
        throw std::runtime_error("cannot read " + path);
    return bytes;
}

}  // namespace

LibjpegFloorTimes RunLibjpegFloor(const std::string& source, int n)
{
    const std::vector<std::uint8_t> file = ReadWhole(source);
    LibjpegFloorTimes times;

    const Clock::time_point decodeStart = Clock::now();
    auto decode = std::make_unique<DecodeJob>();
    decode->data = file.data();
    decode->size = static_cast<unsigned long>(file.size());
    decode->cinfo.err = InitJpegErrorManager(decode->error);
    int code = CallJpeg(decode->error, StartDecodeStep, decode.get());
    // Default-initialised: the buffer is not filled before libjpeg writes every byte of it.
    std::unique_ptr<std::uint8_t[]> pixels;
    const int components = decode->cinfo.output_components;
    const int width = int(decode->cinfo.output_width);
    const int height = int(decode->cinfo.output_height);
    if (code == 0) {
        decode->stride = std::size_t(width) * std::size_t(components);
        pixels.reset(new std::uint8_t[decode->stride * std::size_t(height)]);
        decode->pixels = pixels.get();
        code = CallJpeg(decode->error, ReadRowsStep, decode.get());
    }
    jpeg_destroy_decompress(&decode->cinfo);
    const Clock::time_point decoded = Clock::now();
    if (code != 0)
        throw std::runtime_error("libjpeg code " + std::to_string(code) + " decoding " + source);

    // The thumbnail's pixels, picked nearest-neighbour; this is not the floor's work and is not timed.
    const TThumbnailSize size = ThumbnailSize(n, width, height);
    std::vector<std::uint8_t> rgb(std::size_t(size.Width) * std::size_t(size.Height) * 3);
    std::vector<JSAMPROW> rows(std::size_t(size.Height));
    for (int y = 0; y < size.Height; ++y) {
        const std::uint8_t* in = pixels.get() + std::size_t((2 * std::int64_t(y) + 1) * height / (2 * size.Height)) * decode->stride;
        std::uint8_t* out = rgb.data() + std::size_t(y) * std::size_t(size.Width) * 3;
        rows[std::size_t(y)] = out;
        for (int x = 0; x < size.Width; ++x, out += 3) {
            const std::uint8_t* p = in + std::size_t((2 * std::int64_t(x) + 1) * width / (2 * size.Width)) * std::size_t(components);
            for (int c = 0; c < 3; ++c)
                out[c] = components == 1 ? decode->greyLevels[p[0]] : p[c];
        }
    }
    pixels.reset();

    const Clock::time_point encodeStart = Clock::now();
    EncodeJob encode{};
    encode.rows = rows.data();
    encode.width = size.Width;
    encode.height = size.Height;
    encode.progressive = decode->multipleScans;
    encode.cinfo.err = InitJpegErrorManager(encode.error);
    code = size.Width > 0 && size.Height > 0 ? CallJpeg(encode.error, EncodeStep, &encode) : 0;
    jpeg_destroy_compress(&encode.cinfo);
    const Clock::time_point encoded = Clock::now();
    times.encodedBytes = encode.outputSize;
    std::free(encode.output);
    if (code != 0)
        throw std::runtime_error("libjpeg code " + std::to_string(code) + " encoding the thumbnail of " + source);

    times.decode = std::chrono::duration<double>(decoded - decodeStart).count();
    times.encode = std::chrono::duration<double>(encoded - encodeStart).count();
    times.total = times.decode + times.encode;
    return times;
}

std::string FormatLibjpegFloorTimes(const LibjpegFloorTimes& t)
{
    char line[256];
    std::snprintf(line, sizeof line, "decode=%.6f encode=%.6f total=%.6f bytes=%zu", t.decode, t.encode, t.total,
                  t.encodedBytes);
    return line;
}
