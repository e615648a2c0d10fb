#pragma once

#include <cstddef>
#include <string>

struct LibjpegFloorTimes {
    double decode = 0;  // libjpeg's full-size decode into a plain buffer
    double encode = 0;  // libjpeg's encode of an equal-size thumbnail into memory
    double total = 0;
    std::size_t encodedBytes = 0;
};

// What any program must spend at least to make this thumbnail with libjpeg and the program's settings: the
// full-size decode of source (scale 1/1, block smoothing, float DCT, grey files quantized to 236 dithered
// levels) from a copy already in memory, then the encode of a thumbnail of the command's size (quality 90 with
// baseline tables, float DCT, simple progression when the source has several scans). Reading the file, the
// picking of thumbnail pixels and any writing are left out. Raises std::runtime_error on a libjpeg error.
LibjpegFloorTimes RunLibjpegFloor(const std::string& source, int n);

std::string FormatLibjpegFloorTimes(const LibjpegFloorTimes& times);
