#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "imaging/TJPEGImage.h"

class TBitmap;

// Decodes a whole JPEG file held in memory into a new full-size bitmap: pf24bit holding libjpeg's RGB output,
// or pf8bit with libjpeg's colormap as palette for grey files and, with the 8-bit pixel format, colour files.
// Four-component (CMYK, YCCK) files are converted to RGB. Raises EJPEG (#1 for arithmetic coding, #25 for
// colour spaces that have no RGB form, #14 for a file of more than 1000 scans), EOutOfMemory, or
// EOutOfResources when the decoding would not fit in the memory available.
std::unique_ptr<TBitmap> DecodeJpegToBitmap(const std::uint8_t* data, std::size_t size,
                                            TJPEGPixelFormat pixelFormat);
