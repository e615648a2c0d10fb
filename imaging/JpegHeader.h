#pragma once

#include <cstddef>
#include <cstdint>

// What loading learns from a JPEG file without decoding it.
struct JpegHeader {
    int width = 0;
    int height = 0;
    bool multipleScans = false;
};

// Reads the markers up to the first scan header. Raises EJPEG or EOutOfMemory for what libjpeg refuses there.
JpegHeader ReadJpegHeader(const std::uint8_t* data, std::size_t size);
