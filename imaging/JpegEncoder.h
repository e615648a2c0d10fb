#pragma once

#include <cstdint>
#include <vector>

class TBitmap;

// Encodes the bitmap as a JFIF file in memory: libjpeg's defaults (YCbCr 2x2/1x1/1x1, standard Huffman tables),
// the floating-point DCT, the given quality with baseline tables, and libjpeg's simple progression when asked.
// Raises EJPEG for libjpeg's errors ("JPEG error #40" for a side over 65500), EMemoryStreamError when the
// output cannot grow, and EInvalidGraphic for a bitmap without pixels.
std::vector<std::uint8_t> EncodeJpeg(const TBitmap& bitmap, int quality, bool progressive);
