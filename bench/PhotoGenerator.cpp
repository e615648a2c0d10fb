#include "bench/PhotoGenerator.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

#include "imaging/JpegErrorManager.h"

namespace {

constexpr int kQuality = 92;  // what cameras and phones commonly write
constexpr int kWavePeriod = 1024;
constexpr double kPi = 3.14159265358979323846;

enum class ShapeKind { Disc, Box };

// Positions and sizes are fractions of the picture, so every size gets the same scene.
struct Shape {
    ShapeKind kind;
    double x, y, a, b;  // disc: centre and radius (of the width); box: left, top, right, bottom
    int red, green, blue;
};

const Shape kShapes[] = {
    {ShapeKind::Disc, 0.78, 0.22, 0.07, 0, 250, 226, 150},  // a sun
    {ShapeKind::Box, 0.05, 0.55, 0.32, 0.95, 96, 70, 52},    // a house
    {ShapeKind::Box, 0.10, 0.62, 0.16, 0.74, 210, 200, 160}, // its window
    {ShapeKind::Box, 0.40, 0.48, 0.44, 0.98, 60, 45, 30},    // a post
    {ShapeKind::Disc, 0.60, 0.70, 0.09, 0, 40, 110, 50},     // a tree's crown
    {ShapeKind::Disc, 0.68, 0.64, 0.06, 0, 55, 130, 60},
    {ShapeKind::Box, 0.82, 0.58, 0.97, 0.90, 150, 40, 40},   // a red car
    {ShapeKind::Disc, 0.86, 0.90, 0.025, 0, 20, 20, 20},     // its wheels
    {ShapeKind::Disc, 0.94, 0.90, 0.025, 0, 20, 20, 20},
};

struct Span {
    int from, to;  // [from, to)
};

// The columns of row y that a shape covers; empty when it misses the row.
Span SpanOf(const Shape& shape, int y, int width, int height)
{
    if (shape.kind == ShapeKind::Box) {
        if (y < int(shape.y * height) || y >= int(shape.b * height))
            return {0, 0};
        return {int(shape.x * width), int(shape.a * width)};
    }
    const double radius = shape.a * width;
    const double dy = y - shape.y * height;
    if (std::fabs(dy) >= radius)
        return {0, 0};
    const double half = std::sqrt(radius * radius - dy * dy);
    const double centre = shape.x * width;
    return {std::max(0, int(centre - half)), std::min(width, int(centre + half))};
}

std::uint8_t Clamp(int value)
{
    return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// Everything the libjpeg steps touch: plain data, so that an error's jump can leave any step.
struct WriteJob {
    jpeg_compress_struct cinfo;
    JpegErrorManager error;
    std::FILE* file;
    int width;
    int height;
    bool grey;
    bool progressive;
    std::uint8_t* row;   // width * 3 samples
    std::int16_t* wave;  // kWavePeriod entries
    std::uint32_t grain;
};

std::uint32_t NextGrain(std::uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

void FillRow(WriteJob& job, int y)
{
    const int w = job.width;
    const int h = job.height;
    const int v = int(std::int64_t(y) * 256 / h);
    std::uint8_t* p = job.row;
    // Sky above the horizon, a field below: two smooth gradients that meet at an edge.
    const bool sky = y < h * 11 / 20;
    for (int x = 0; x < w; ++x, p += 3) {
        const int u = int(std::int64_t(x) * 256 / w);
        const int wave = job.wave[(x + 2 * y) % kWavePeriod];
        if (sky) {
            p[0] = Clamp(70 + v / 2 + u / 8 + wave / 4);
            p[1] = Clamp(120 + v / 3 + wave / 3);
            p[2] = Clamp(230 - v / 4 - u / 16);
        } else {
            p[0] = Clamp(90 + u / 6 - v / 8 + wave);
            p[1] = Clamp(140 - v / 5 + wave / 2);
            p[2] = Clamp(50 + u / 10);
        }
    }
    for (const Shape& shape : kShapes) {
        const Span span = SpanOf(shape, y, w, h);
        for (int x = span.from; x < span.to; ++x) {
            const int shade = (x - span.from) * 40 / (span.to - span.from) - 20;
            job.row[3 * x] = Clamp(shape.red + shade);
            job.row[3 * x + 1] = Clamp(shape.green + shade);
            job.row[3 * x + 2] = Clamp(shape.blue + shade);
        }
    }
    // A patch of fine stripes, as fabric or a fence gives: detail right at the block size.
    if (y >= h * 3 / 5 && y < h * 4 / 5)
        for (int x = w * 46 / 100; x < w * 56 / 100; ++x) {
            const int stripe = ((x + y / 3) % 6) < 3 ? 40 : -40;
            for (int c = 0; c < 3; ++c)
                job.row[3 * x + c] = Clamp(job.row[3 * x + c] + stripe);
        }
    // Sensor grain: a little brightness noise on every pixel, less in colour.
    p = job.row;
    for (int x = 0; x < w; ++x, p += 3) {
        const std::uint32_t r = NextGrain(job.grain);
        const int luma = int(r & 15) + int((r >> 8) & 7) - 11;
        p[0] = Clamp(p[0] + luma + int((r >> 4) & 3) - 2);
        p[1] = Clamp(p[1] + luma);
        p[2] = Clamp(p[2] + luma + int((r >> 6) & 3) - 2);
    }
    if (job.grey)
        for (int x = 0; x < w; ++x)
            job.row[x] = static_cast<std::uint8_t>(
                (77 * job.row[3 * x] + 150 * job.row[3 * x + 1] + 29 * job.row[3 * x + 2]) >> 8);
}

void CreateStep(void* context)
{
    auto* job = static_cast<WriteJob*>(context);
    jpeg_create_compress(&job->cinfo);
    jpeg_stdio_dest(&job->cinfo, job->file);
}

void StartStep(void* context)
{
    auto* job = static_cast<WriteJob*>(context);
    jpeg_compress_struct& c = job->cinfo;
    c.image_width = JDIMENSION(job->width);
    c.image_height = JDIMENSION(job->height);
    c.input_components = job->grey ? 1 : 3;
    c.in_color_space = job->grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, kQuality, TRUE);
    if (job->progressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
}

void RowsStep(void* context)
{
    auto* job = static_cast<WriteJob*>(context);
    while (job->cinfo.next_scanline < job->cinfo.image_height) {
        FillRow(*job, int(job->cinfo.next_scanline));
        JSAMPROW row = job->row;
        jpeg_write_scanlines(&job->cinfo, &row, 1);
    }
}

void FinishStep(void* context)
{
    jpeg_finish_compress(&static_cast<WriteJob*>(context)->cinfo);
}

}  // namespace

void WritePhoto(const PhotoRecipe& recipe, const std::string& path)
{
    std::vector<std::uint8_t> row(std::size_t(recipe.width) * 3);
    std::vector<std::int16_t> wave(kWavePeriod);
    for (int i = 0; i < kWavePeriod; ++i)
        wave[std::size_t(i)] = std::int16_t(std::lround(24 * std::sin(i * 2 * kPi / kWavePeriod) +
                                                        10 * std::sin(i * 10 * kPi / kWavePeriod)));

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot create " + path);
    WriteJob job{};
    job.file = file;
    job.width = recipe.width;
    job.height = recipe.height;
    job.grey = recipe.coding == PhotoCoding::Grey;
    job.progressive = recipe.coding == PhotoCoding::Progressive;
    job.row = row.data();
    job.wave = wave.data();
    job.grain = 0x9e3779b9u;

    job.cinfo.err = InitJpegErrorManager(job.error);
    int code = CallJpeg(job.error, CreateStep, &job);
    if (code == 0)
        code = CallJpeg(job.error, StartStep, &job);
    if (code == 0)
        code = CallJpeg(job.error, RowsStep, &job);
    if (code == 0)
        code = CallJpeg(job.error, FinishStep, &job);
    jpeg_destroy_compress(&job.cinfo);
    // On disk before anything is timed, so that no measured save waits for this file's writeback.
    const bool written = std::fflush(file) == 0 && !std::ferror(file) && fsync(fileno(file)) == 0;
    std::fclose(file);
    if (code != 0 || !written)
        throw std::runtime_error("cannot write " + path + (code != 0 ? " (libjpeg code " + std::to_string(code) + ")" : ""));
}
