#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

// Writes the seed JPEG files of the picture fuzz target into the folder given: small pictures of every kind
// the decoder meets (colour spaces, samplings, codings, restart intervals, extra segments), and a few damaged
// ones. Each is made here by libjpeg, so the corpus can be made anew at any time.

namespace {

using Bytes = std::vector<std::uint8_t>;

enum class Kind { Grey, YCbCr, Rgb, Cmyk, Ycck, TwoComponents };
enum class Scans { Single, Progressive, PerComponent, ManyBands, Arithmetic };

struct Seed {
    const char* name;
    int width;
    int height;
    Kind kind;
    Scans scans;
    int hSampling = 2;  // of the first component, the others 1 x 1
    int vSampling = 2;
    int restartRows = 0;
    bool optimize = false;
    int quality = 75;
    bool extraSegments = false;
};

struct ErrorJump {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void JumpOnError(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorJump*>(cinfo->err)->jump, 1);
}

int ComponentsOf(Kind kind)
{
    switch (kind) {
    case Kind::Grey: return 1;
    case Kind::TwoComponents: return 2;
    case Kind::Cmyk:
    case Kind::Ycck: return 4;
    default: return 3;
    }
}

Bytes Samples(const Seed& seed)
{
    const int components = ComponentsOf(seed.kind);
    Bytes samples(static_cast<std::size_t>(seed.width) * seed.height * components);
    std::size_t i = 0;
    for (int y = 0; y < seed.height; ++y)
        for (int x = 0; x < seed.width; ++x)
            for (int c = 0; c < components; ++c)
                samples[i++] = static_cast<std::uint8_t>((x * 255 / seed.width + y * 97 / seed.height + c * 60 +
                                                          ((x / 5 + y / 3) % 2) * 40) & 0xFF);
    return samples;
}

// Everything libjpeg touches lives here, so the jump of its error exit skips no destructor.
struct Job {
    jpeg_compress_struct cinfo;
    ErrorJump err;
    unsigned char* out;
    unsigned long outSize;
    jpeg_scan_info script[64];
};

int BuildManyBands(Job& job, int components)
{
    int count = 0;
    for (int c = 0; c < components; ++c) {
        jpeg_scan_info& dc = job.script[count++];
        dc = {};
        dc.comps_in_scan = 1;
        dc.component_index[0] = c;
    }
    for (int c = 0; c < components && c < 3; ++c)
        for (int start = 1; start <= 63; start += 8) {
            jpeg_scan_info& ac = job.script[count++];
            ac = {};
            ac.comps_in_scan = 1;
            ac.component_index[0] = c;
            ac.Ss = start;
            ac.Se = start + 7 > 63 ? 63 : start + 7;
        }
    return count;
}

bool Compress(Job& job, const Seed& seed, const Bytes& samples)
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
    const int components = ComponentsOf(seed.kind);
    c.image_width = static_cast<JDIMENSION>(seed.width);
    c.image_height = static_cast<JDIMENSION>(seed.height);
    c.input_components = components;
    c.in_color_space = components == 1 ? JCS_GRAYSCALE
                       : components == 3 ? JCS_RGB
                       : components == 4 ? JCS_CMYK
                                         : JCS_UNKNOWN;
    jpeg_set_defaults(&c);
    if (seed.kind == Kind::Rgb)
        jpeg_set_colorspace(&c, JCS_RGB);
    else if (seed.kind == Kind::Cmyk)
        jpeg_set_colorspace(&c, JCS_CMYK);
    else if (seed.kind == Kind::Ycck)
        jpeg_set_colorspace(&c, JCS_YCCK);
    jpeg_set_quality(&c, seed.quality, TRUE);
    if (components > 1) {
        c.comp_info[0].h_samp_factor = seed.hSampling;
        c.comp_info[0].v_samp_factor = seed.vSampling;
    }
    c.restart_in_rows = seed.restartRows;
    c.optimize_coding = seed.optimize ? TRUE : FALSE;
    switch (seed.scans) {
    case Scans::Single: break;
    case Scans::Progressive: jpeg_simple_progression(&c); break;
    case Scans::PerComponent:
        for (int i = 0; i < components; ++i) {
            job.script[i] = {};
            job.script[i].comps_in_scan = 1;
            job.script[i].component_index[0] = i;
            job.script[i].Se = 63;
        }
        c.scan_info = job.script;
        c.num_scans = components;
        break;
    case Scans::ManyBands:
        c.num_scans = BuildManyBands(job, components);
        c.scan_info = job.script;
        break;
    case Scans::Arithmetic: c.arith_code = TRUE; break;
    }
    jpeg_start_compress(&c, TRUE);
    if (seed.extraSegments) {
        static const char comment[] = "seed";
        jpeg_write_marker(&c, JPEG_COM, reinterpret_cast<const JOCTET*>(comment), sizeof comment - 1);
        static const JOCTET exif[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0,
                                      0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
        jpeg_write_marker(&c, JPEG_APP0 + 1, exif, sizeof exif);
    }
    const std::size_t stride = static_cast<std::size_t>(seed.width) * components;
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(samples.data() + c.next_scanline * stride);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return true;
}

Bytes Make(const Seed& seed)
{
    const Bytes samples = Samples(seed);
    Job job{};
    Bytes file;
    if (Compress(job, seed, samples))
        file.assign(job.out, job.out + job.outSize);
    std::free(job.out);
    return file;
}

// Offset of the first marker with this code, or the file's size.
std::size_t Find(const Bytes& file, int code)
{
    for (std::size_t i = 0; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == code)
            return i;
    return file.size();
}

bool Write(const std::string& folder, const std::string& name, const Bytes& bytes)
{
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const Seed seeds[] = {
        {"baseline-420.jpg", 48, 32, Kind::YCbCr, Scans::Single},
        {"baseline-444.jpg", 33, 17, Kind::YCbCr, Scans::Single, 1, 1},
        {"baseline-422.jpg", 40, 24, Kind::YCbCr, Scans::Single, 2, 1},
        {"baseline-440.jpg", 24, 40, Kind::YCbCr, Scans::Single, 1, 2},
        {"baseline-411.jpg", 64, 16, Kind::YCbCr, Scans::Single, 4, 1},
        {"baseline-restarts.jpg", 48, 48, Kind::YCbCr, Scans::Single, 2, 2, 1},
        {"baseline-optimized.jpg", 40, 30, Kind::YCbCr, Scans::Single, 2, 2, 0, true},
        {"baseline-segments.jpg", 16, 16, Kind::YCbCr, Scans::Single, 2, 2, 0, false, 90, true},
        {"baseline-quality-100.jpg", 16, 16, Kind::YCbCr, Scans::Single, 2, 2, 0, false, 100},
        {"baseline-quality-1.jpg", 16, 16, Kind::YCbCr, Scans::Single, 2, 2, 0, false, 1},
        {"one-pixel.jpg", 1, 1, Kind::YCbCr, Scans::Single},
        {"one-row.jpg", 60, 1, Kind::YCbCr, Scans::Single},
        {"one-column.jpg", 1, 60, Kind::YCbCr, Scans::Progressive},
        {"grey.jpg", 40, 40, Kind::Grey, Scans::Single},
        {"grey-progressive.jpg", 40, 40, Kind::Grey, Scans::Progressive},
        {"rgb.jpg", 32, 24, Kind::Rgb, Scans::Single, 1, 1},
        {"cmyk.jpg", 32, 24, Kind::Cmyk, Scans::Single, 1, 1},
        {"ycck.jpg", 32, 24, Kind::Ycck, Scans::Single},
        {"ycck-progressive.jpg", 32, 24, Kind::Ycck, Scans::Progressive},
        {"two-components.jpg", 16, 16, Kind::TwoComponents, Scans::Single, 1, 1},
        {"progressive-420.jpg", 48, 32, Kind::YCbCr, Scans::Progressive},
        {"progressive-444.jpg", 33, 21, Kind::YCbCr, Scans::Progressive, 1, 1},
        {"progressive-restarts.jpg", 48, 48, Kind::YCbCr, Scans::Progressive, 2, 2, 1},
        {"progressive-many-bands.jpg", 32, 32, Kind::YCbCr, Scans::ManyBands, 1, 1},
        {"per-component-scans.jpg", 40, 24, Kind::YCbCr, Scans::PerComponent},
        {"arithmetic.jpg", 32, 32, Kind::YCbCr, Scans::Arithmetic},
        {"arithmetic-grey.jpg", 32, 32, Kind::Grey, Scans::Arithmetic},
    };
    int failures = 0;
    for (const Seed& seed : seeds) {
        const Bytes file = Make(seed);
        if (file.empty() || !Write(folder, seed.name, file)) {
            std::fprintf(stderr, "could not make %s\n", seed.name);
            ++failures;
        }
    }

    // Damaged and unusual files, made from the first seed.
    const Bytes base = Make(seeds[0]);
    const std::size_t frame = Find(base, 0xC0);
    const std::size_t scan = Find(base, 0xDA);
    Bytes huge = base;
    huge[frame + 5] = 0xFF, huge[frame + 6] = 0xDC, huge[frame + 7] = 0xFF, huge[frame + 8] = 0xDC;
    Bytes twelveBits = base;
    twelveBits[frame + 4] = 12;
    Bytes lossless = base;
    lossless[frame + 1] = 0xC3;
    // A small progressive picture whose first scan header comes back 1000 times, without data, before its end.
    const Seed* progressiveSeed = seeds;
    while (std::string(progressiveSeed->name) != "progressive-420.jpg")
        ++progressiveSeed;
    const Bytes progressive = Make(*progressiveSeed);
    const std::size_t firstScan = Find(progressive, 0xDA);
    const std::size_t scanHeaderLength = 2 + (progressive[firstScan + 2] << 8 | progressive[firstScan + 3]);
    Bytes manyScans(progressive.begin(), progressive.end() - 2);
    for (int i = 0; i < 1000; ++i)
        manyScans.insert(manyScans.end(), progressive.begin() + static_cast<long>(firstScan),
                         progressive.begin() + static_cast<long>(firstScan + scanHeaderLength));
    manyScans.push_back(0xFF);
    manyScans.push_back(0xD9);
    const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    const struct {
        const char* name;
        Bytes bytes;
    } damaged[] = {
        {"empty.jpg", {}},
        {"png-signature.jpg", png},
        {"cut-before-frame.jpg", Bytes(base.begin(), base.begin() + static_cast<long>(frame))},
        {"cut-before-scan.jpg", Bytes(base.begin(), base.begin() + static_cast<long>(scan))},
        {"cut-in-scan.jpg", Bytes(base.begin(), base.begin() + static_cast<long>(scan + (base.size() - scan) / 2))},
        {"declares-65500.jpg", huge},
        {"twelve-bits.jpg", twelveBits},
        {"lossless.jpg", lossless},
        {"many-scans.jpg", manyScans},
    };
    for (const auto& file : damaged)
        if (!Write(folder, file.name, file.bytes)) {
            std::fprintf(stderr, "could not write %s\n", file.name);
            ++failures;
        }
    return failures == 0 ? 0 : 1;
}
