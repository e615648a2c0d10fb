#include "JpegFixtures.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace fixtures {

namespace {

struct ErrorJump {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JumpOnError(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorJump*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Everything libjpeg touches lives in this struct, so nothing with a destructor is skipped by the jump.
struct CompressJob {
    jpeg_compress_struct cinfo;
    ErrorJump err;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_scan_info scans[MAX_COMPONENTS + 3 * 8];
};

// DC of every component first, then each of the first three components' AC coefficients in bands of eight.
int ManyBandsScript(jpeg_scan_info* script, int components)
{
    int count = 0;
    for (int c = 0; c < components; ++c) {
        script[count] = {};
        script[count].comps_in_scan = 1;
        script[count++].component_index[0] = c;
    }
    for (int c = 0; c < components && c < 3; ++c)
        for (int start = 1; start <= 63; start += 8) {
            script[count] = {};
            script[count].comps_in_scan = 1;
            script[count].component_index[0] = c;
            script[count].Ss = start;
            script[count++].Se = start + 7 > 63 ? 63 : start + 7;
        }
    return count;
}

int SeparateScansScript(jpeg_scan_info* script, int components)
{
    for (int i = 0; i < components; ++i) {
        script[i] = {};
        script[i].comps_in_scan = 1;
        script[i].component_index[0] = i;
        script[i].Ss = 0;
        script[i].Se = 63;
    }
    return components;
}

bool RunCompress(CompressJob& job, const JpegRecipe& recipe, const std::vector<std::uint8_t>& samples)
{
    jpeg_compress_struct& c = job.cinfo;
    c.err = jpeg_std_error(&job.err.pub);
    job.err.pub.error_exit = JumpOnError;
    if (setjmp(job.err.jump)) {
        jpeg_destroy_compress(&c);
        return false;
    }
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, &job.out, &job.outSize);
    const int comps = ComponentsOf(recipe);
    c.image_width = static_cast<JDIMENSION>(recipe.width);
    c.image_height = static_cast<JDIMENSION>(recipe.height);
    c.input_components = comps;
    c.in_color_space = recipe.colour == Colour::Unknown ? JCS_UNKNOWN
                       : comps == 1                    ? JCS_GRAYSCALE
                       : comps == 4                    ? JCS_CMYK
                                                       : JCS_RGB;
    jpeg_set_defaults(&c);
    if (recipe.colour == Colour::RgbStored)
        jpeg_set_colorspace(&c, JCS_RGB);
    else if (recipe.colour == Colour::Cmyk)
        jpeg_set_colorspace(&c, JCS_CMYK);
    else if (recipe.colour == Colour::Ycck)
        jpeg_set_colorspace(&c, JCS_YCCK);
    jpeg_set_quality(&c, recipe.quality, TRUE);
    if (recipe.dotsPerInch > 0) {
        c.density_unit = 1;
        c.X_density = static_cast<UINT16>(recipe.dotsPerInch);
        c.Y_density = static_cast<UINT16>(recipe.dotsPerInch);
    }
    if (comps > 1 && recipe.hSampling > 0) {
        c.comp_info[0].h_samp_factor = recipe.hSampling;
        c.comp_info[0].v_samp_factor = recipe.vSampling;
    }
    c.restart_in_rows = recipe.restartRows;
    c.optimize_coding = recipe.optimize ? TRUE : FALSE;
    switch (recipe.coding) {
    case Coding::Baseline:
        // A scan holds at most four components: more get a scan each.
        if (comps > 4) {
            c.num_scans = SeparateScansScript(job.scans, comps);
            c.scan_info = job.scans;
        }
        break;
    case Coding::Progressive:
        jpeg_simple_progression(&c);
        break;
    case Coding::SeparateScans:
        c.num_scans = SeparateScansScript(job.scans, comps);
        c.scan_info = job.scans;
        break;
    case Coding::ManyBands:
        c.num_scans = ManyBandsScript(job.scans, comps);
        c.scan_info = job.scans;
        break;
    case Coding::Arithmetic:
        c.arith_code = TRUE;
        break;
    }
    jpeg_start_compress(&c, TRUE);
    if (recipe.foreignSegments) {
        static const char comment[] = "made by a camera";
        jpeg_write_marker(&c, JPEG_COM, reinterpret_cast<const JOCTET*>(comment), sizeof comment - 1);
        static const JOCTET exif[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0,
                                      0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
        jpeg_write_marker(&c, JPEG_APP0 + 1, exif, sizeof exif);
    }
    const std::size_t stride = static_cast<std::size_t>(recipe.width) * comps;
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(samples.data() + c.next_scanline * stride);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return true;
}

struct DecompressJob {
    jpeg_decompress_struct cinfo;
    ErrorJump err;
};

bool RunDecompress(DecompressJob& job, const std::vector<std::uint8_t>& file, J_COLOR_SPACE outColour,
                   Decoded& result)
{
    jpeg_decompress_struct& d = job.cinfo;
    d.err = jpeg_std_error(&job.err.pub);
    job.err.pub.error_exit = JumpOnError;
    if (setjmp(job.err.jump)) {
        jpeg_destroy_decompress(&d);
        return false;
    }
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&d, TRUE);
    d.out_color_space = outColour;
    d.do_block_smoothing = TRUE;
    d.dct_method = JDCT_FLOAT;
    jpeg_start_decompress(&d);
    result.width = static_cast<int>(d.output_width);
    result.height = static_cast<int>(d.output_height);
    result.components = d.output_components;
    const std::size_t stride = static_cast<std::size_t>(d.output_width) * d.output_components;
    result.pixels.assign(stride * d.output_height, 0);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = result.pixels.data() + d.output_scanline * stride;
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return true;
}

}  // namespace

void GradientPixel(int x, int y, std::uint8_t* samples)
{
    samples[0] = static_cast<std::uint8_t>(x * 255 / 63 & 0xff);
    samples[1] = static_cast<std::uint8_t>(y * 255 / 47 & 0xff);
    samples[2] = static_cast<std::uint8_t>((x + y) * 2 & 0xff);
    samples[3] = static_cast<std::uint8_t>((x ^ y) & 0xff);
}

JpegRecipe Recipe(int width, int height, Colour colour, Coding coding)
{
    JpegRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.colour = colour;
    recipe.coding = coding;
    return recipe;
}

int ComponentsOf(const JpegRecipe& recipe)
{
    switch (recipe.colour) {
    case Colour::Grey:
        return 1;
    case Colour::Cmyk:
    case Colour::Ycck:
        return 4;
    case Colour::Unknown:
        return recipe.components;
    case Colour::YCbCr:
    case Colour::RgbStored:
        break;
    }
    return 3;
}

std::vector<std::uint8_t> MakeJpeg(const JpegRecipe& recipe)
{
    const int comps = ComponentsOf(recipe);
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(recipe.width) * recipe.height * comps);
    std::uint8_t pixel[MAX_COMPONENTS] = {};
    for (int y = 0; y < recipe.height; ++y)
        for (int x = 0; x < recipe.width; ++x) {
            if (recipe.pixel)
                recipe.pixel(x, y, pixel);
            else
                GradientPixel(x, y, pixel);
            std::uint8_t* out = &samples[(static_cast<std::size_t>(y) * recipe.width + x) * comps];
            for (int c = 0; c < comps; ++c)
                // Adobe's four-component files store inverted samples: 255 means no ink.
                out[c] = comps == 4 && recipe.colour != Colour::Unknown ? static_cast<std::uint8_t>(255 - pixel[c])
                                                                        : pixel[c];
        }

    auto job = std::make_unique<CompressJob>();
    if (!RunCompress(*job, recipe, samples)) {
        ADD_FAILURE() << "making a JPEG fixture failed: " << job->err.message;
        std::free(job->out);
        return {};
    }
    std::vector<std::uint8_t> file(job->out, job->out + job->outSize);
    std::free(job->out);
    return file;
}

Decoded DecodeJpeg(const std::vector<std::uint8_t>& file, J_COLOR_SPACE outColour)
{
    Decoded result;
    auto job = std::make_unique<DecompressJob>();
    if (!RunDecompress(*job, file, outColour, result)) {
        ADD_FAILURE() << "decoding with libjpeg failed: " << job->err.message;
        return {};
    }
    return result;
}

std::vector<Segment> ReadSegments(const std::vector<std::uint8_t>& file)
{
    std::vector<Segment> segments;
    std::size_t pos = 0;
    while (pos + 1 < file.size()) {
        if (file[pos] != 0xFF) {
            ADD_FAILURE() << "no marker at offset " << pos;
            break;
        }
        while (pos < file.size() && file[pos] == 0xFF)
            ++pos;
        if (pos >= file.size())
            break;
        const int marker = file[pos++];
        Segment segment{marker, {}};
        const bool standalone = marker == 0xD8 || marker == 0xD9 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
        if (!standalone) {
            if (pos + 2 > file.size())
                break;
            const std::size_t length = static_cast<std::size_t>(file[pos] << 8 | file[pos + 1]);
            if (length < 2 || pos + length > file.size()) {
                ADD_FAILURE() << "segment length " << length << " at offset " << pos << " runs past the file";
                break;
            }
            segment.data.assign(file.begin() + static_cast<long>(pos + 2), file.begin() + static_cast<long>(pos + length));
            pos += length;
        }
        segments.push_back(std::move(segment));
        if (marker == 0xD9)
            break;
        if (marker == 0xDA || (marker >= 0xD0 && marker <= 0xD7)) {
            // Skip entropy-coded data: up to the next marker that is neither stuffing nor a restart.
            while (pos + 1 < file.size() &&
                   !(file[pos] == 0xFF && file[pos + 1] != 0x00 && !(file[pos + 1] >= 0xD0 && file[pos + 1] <= 0xD7)))
                ++pos;
        }
    }
    return segments;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

}  // namespace fixtures
