#pragma once

#include <string>

enum class PhotoCoding { Baseline, Progressive, Grey };

// One generated photograph of the benchmark.
struct PhotoRecipe {
    std::string label;     // how the table names it
    std::string fileName;  // inside the benchmark's temporary directory
    int width = 0;
    int height = 0;
    PhotoCoding coding = PhotoCoding::Baseline;
};

// Writes a photograph-like JPEG at path: smooth gradients, hard-edged shapes, a finely striped patch and grain
// everywhere, so that the entropy decoder and the inverse DCT get the work a camera picture gives them (a flat
// picture decodes several times faster and would flatter every method). Colour pictures are YCbCr 4:2:0;
// Progressive uses libjpeg's simple progression. Raises std::runtime_error when the file cannot be written.
void WritePhoto(const PhotoRecipe& recipe, const std::string& path);
