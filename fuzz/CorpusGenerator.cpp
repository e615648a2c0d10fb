#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "JpegEdits.h"
#include "JpegFixtures.h"

// Writes the seed JPEG files of the picture fuzz target into the folder given: small pictures of every kind
// the decoder meets (colour spaces, samplings, codings, restart intervals, extra segments), and a few damaged
// ones. Each is made here by libjpeg, so the corpus can be made anew at any time.

namespace {

using Bytes = std::vector<std::uint8_t>;
using fixtures::Coding;
using fixtures::Colour;

struct Seed {
    const char* name;
    int width;
    int height;
    Colour colour;
    Coding coding;
    int hSampling = 2;  // of the first component, the others 1 x 1
    int vSampling = 2;
    int restartRows = 0;
    bool optimize = false;
    int quality = 75;
    bool foreignSegments = false;
};

Bytes Make(const Seed& seed)
{
    fixtures::JpegRecipe recipe = fixtures::Recipe(seed.width, seed.height, seed.colour, seed.coding);
    recipe.hSampling = seed.hSampling;
    recipe.vSampling = seed.vSampling;
    recipe.restartRows = seed.restartRows;
    recipe.optimize = seed.optimize;
    recipe.quality = seed.quality;
    recipe.foreignSegments = seed.foreignSegments;
    // Gradients with a fine checker over them: every coefficient band has something to code.
    recipe.pixel = [&seed](int x, int y, std::uint8_t* samples) {
        for (int c = 0; c < 4; ++c)
            samples[c] = static_cast<std::uint8_t>(
                (x * 255 / seed.width + y * 97 / seed.height + c * 60 + ((x / 5 + y / 3) % 2) * 40) & 0xFF);
    };
    return fixtures::MakeJpeg(recipe);
}

bool Write(const std::string& folder, const std::string& name, const Bytes& bytes)
{
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// A progressive picture whose first scan header comes back 1000 times, without data, before its end.
Bytes WithRepeatedScanHeader(const Bytes& progressive)
{
    const edits::Marker scan = edits::Find(progressive, 0xDA);
    Bytes file(progressive.begin(), progressive.end() - 2);
    for (int i = 0; i < 1000; ++i)
        file.insert(file.end(), progressive.begin() + static_cast<long>(scan.offset),
                    progressive.begin() + static_cast<long>(scan.offset + scan.length));
    file.push_back(0xFF);
    file.push_back(0xD9);
    return file;
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
        {"baseline-420.jpg", 48, 32, Colour::YCbCr, Coding::Baseline},
        {"baseline-444.jpg", 33, 17, Colour::YCbCr, Coding::Baseline, 1, 1},
        {"baseline-422.jpg", 40, 24, Colour::YCbCr, Coding::Baseline, 2, 1},
        {"baseline-440.jpg", 24, 40, Colour::YCbCr, Coding::Baseline, 1, 2},
        {"baseline-411.jpg", 64, 16, Colour::YCbCr, Coding::Baseline, 4, 1},
        {"baseline-restarts.jpg", 48, 48, Colour::YCbCr, Coding::Baseline, 2, 2, 1},
        {"baseline-optimized.jpg", 40, 30, Colour::YCbCr, Coding::Baseline, 2, 2, 0, true},
        {"baseline-segments.jpg", 16, 16, Colour::YCbCr, Coding::Baseline, 2, 2, 0, false, 90, true},
        {"baseline-quality-100.jpg", 16, 16, Colour::YCbCr, Coding::Baseline, 2, 2, 0, false, 100},
        {"baseline-quality-1.jpg", 16, 16, Colour::YCbCr, Coding::Baseline, 2, 2, 0, false, 1},
        {"one-pixel.jpg", 1, 1, Colour::YCbCr, Coding::Baseline},
        {"one-row.jpg", 60, 1, Colour::YCbCr, Coding::Baseline},
        {"one-column.jpg", 1, 60, Colour::YCbCr, Coding::Progressive},
        {"grey.jpg", 40, 40, Colour::Grey, Coding::Baseline},
        {"grey-progressive.jpg", 40, 40, Colour::Grey, Coding::Progressive},
        {"rgb.jpg", 32, 24, Colour::RgbStored, Coding::Baseline, 1, 1},
        {"cmyk.jpg", 32, 24, Colour::Cmyk, Coding::Baseline, 1, 1},
        {"ycck.jpg", 32, 24, Colour::Ycck, Coding::Baseline},
        {"ycck-progressive.jpg", 32, 24, Colour::Ycck, Coding::Progressive},
        {"two-components.jpg", 16, 16, Colour::Unknown, Coding::Baseline, 1, 1},
        {"progressive-420.jpg", 48, 32, Colour::YCbCr, Coding::Progressive},
        {"progressive-444.jpg", 33, 21, Colour::YCbCr, Coding::Progressive, 1, 1},
        {"progressive-restarts.jpg", 48, 48, Colour::YCbCr, Coding::Progressive, 2, 2, 1},
        {"progressive-many-bands.jpg", 32, 32, Colour::YCbCr, Coding::ManyBands, 1, 1},
        {"per-component-scans.jpg", 40, 24, Colour::YCbCr, Coding::SeparateScans},
        {"arithmetic.jpg", 32, 32, Colour::YCbCr, Coding::Arithmetic},
        {"arithmetic-grey.jpg", 32, 32, Colour::Grey, Coding::Arithmetic},
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
    const edits::Marker frame = edits::FindFrame(base);
    Bytes twelveBits = base;
    twelveBits[frame.offset + edits::kFramePrecision] = 12;
    Bytes lossless = base;
    lossless[frame.offset + 1] = 0xC3;
    const Bytes progressive = Make({"", 48, 32, Colour::YCbCr, Coding::Progressive});
    const edits::Marker scan = edits::Find(base, 0xDA);
    const struct {
        const char* name;
        Bytes bytes;
    } damaged[] = {
        {"empty.jpg", {}},
        {"png-signature.jpg", edits::PngSignature()},
        {"cut-before-frame.jpg", edits::CutBefore(base, frame)},
        {"cut-before-scan.jpg", edits::CutBefore(base, scan)},
        {"cut-in-scan.jpg", Bytes(base.begin(), base.begin() + static_cast<long>(scan.offset + (base.size() - scan.offset) / 2))},
        {"declares-65500.jpg", edits::WithDeclaredSize(base, 65500, 65500)},
        {"twelve-bits.jpg", twelveBits},
        {"lossless.jpg", lossless},
        {"many-scans.jpg", WithRepeatedScanHeader(progressive)},
    };
    for (const auto& file : damaged)
        if (!Write(folder, file.name, file.bytes)) {
            std::fprintf(stderr, "could not write %s\n", file.name);
            ++failures;
        }
    return failures == 0 ? 0 : 1;
}
