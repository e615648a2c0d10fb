#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

// JPEG files made in the test itself with libjpeg, so every fixture shows how it was made.
namespace fixtures {

enum class Colour {
    YCbCr,      // three components, the usual photograph
    Grey,       // one component
    RgbStored,  // three components stored as R, G, B (Adobe transform 0)
    Cmyk,       // four components, Adobe CMYK with inverted samples as editors write it
    Ycck,       // four components, Adobe YCCK with inverted samples
    Unknown,    // JpegRecipe::components (2, or 5 to 10) components that name no colour space
};

enum class Coding {
    Baseline,       // one interleaved scan
    Progressive,    // libjpeg's simple progression
    SeparateScans,  // sequential, one scan per component
    ManyBands,      // progressive, each component's AC coefficients in bands of eight, one scan each
    Arithmetic,     // sequential, arithmetic-coded (SOF9)
};

struct JpegRecipe {
    int width = 64;
    int height = 48;
    Colour colour = Colour::YCbCr;
    Coding coding = Coding::Baseline;
    int quality = 95;
    // Fills the input samples of pixel (x, y): 3 bytes R, G, B (for Grey only the first is used; for Cmyk and
    // Ycck 4 bytes C, M, Y, K of ink, 0 meaning none; for Unknown one byte per component). Unset: GradientPixel.
    std::function<void(int x, int y, std::uint8_t* samples)> pixel;
    // Density of the JFIF header (unit 1 = dots per inch); 0 keeps libjpeg's default.
    int dotsPerInch = 0;
    // Of Colour::Unknown.
    int components = 2;
    // The first component's sampling factors (the others stay 1 x 1); 0 keeps libjpeg's default.
    int hSampling = 0;
    int vSampling = 0;
    // A restart marker every this many MCU rows; 0 for none.
    int restartRows = 0;
    // Huffman tables made for the picture instead of the standard ones.
    bool optimize = false;
    // A comment and an EXIF segment after the headers, as cameras and editors write them.
    bool foreignSegments = false;
};

std::vector<std::uint8_t> MakeJpeg(const JpegRecipe& recipe);

// A recipe of the given size and kind, with the gradient.
JpegRecipe Recipe(int width, int height, Colour colour = Colour::YCbCr, Coding coding = Coding::Baseline);

// The gradient that MakeJpeg uses when the recipe sets no pixel function.
void GradientPixel(int x, int y, std::uint8_t* samples);

struct Decoded {
    int width = 0;
    int height = 0;
    int components = 0;                // of the output colour space
    std::vector<std::uint8_t> pixels;  // rows top to bottom, components interleaved
};

// Plain libjpeg decoding into the given colour space (JCS_RGB unless said), with the float inverse DCT and
// block smoothing as the program decodes. Fails the calling test (and returns an empty result) on an error.
Decoded DecodeJpeg(const std::vector<std::uint8_t>& file, J_COLOR_SPACE outColour = JCS_RGB);

// The markers of a JPEG file in order, each with its segment (without the two marker bytes). Entropy-coded
// data is skipped.
struct Segment {
    int marker = 0;  // 0xD8 for SOI, 0xE0 for APP0, ...
    std::vector<std::uint8_t> data;
};
std::vector<Segment> ReadSegments(const std::vector<std::uint8_t>& file);

// The number of components of the files a colour makes.
int ComponentsOf(const JpegRecipe& recipe);

std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace fixtures
