#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Byte-level changes to JPEG files made by the fixtures, to build the damaged and unusual files that loading
// and decoding must cope with.
namespace edits {

using Bytes = std::vector<std::uint8_t>;

// A marker of the file: offset of its FF byte and the length of marker plus segment (entropy-coded data that
// follows a scan header is not counted).
struct Marker {
    int code = 0;
    std::size_t offset = 0;
    std::size_t length = 0;
};

std::vector<Marker> Markers(const Bytes& file);

// The nth marker with this code; fails the calling test when there is none.
Marker Find(const Bytes& file, int code, int nth = 0);
// The frame header (the first SOFn marker).
Marker FindFrame(const Bytes& file);

Bytes CutBefore(const Bytes& file, const Marker& marker);
Bytes Remove(const Bytes& file, const Marker& marker);
Bytes InsertAt(const Bytes& file, std::size_t offset, const Bytes& bytes);
void PutBigEndian16(Bytes& file, std::size_t offset, int value);

// Frame header fields, by offset from the frame marker's FF byte.
constexpr std::size_t kFramePrecision = 4;
constexpr std::size_t kFrameHeight = 5;
constexpr std::size_t kFrameWidth = 7;
constexpr std::size_t kFrameComponents = 9;
// Component i's identifier, sampling factors and quantization table number start here + 3 * i.
constexpr std::size_t kFrameFirstComponent = 10;

// Sets the width and height the frame header declares, and optionally every component's sampling to 1 x 1.
Bytes WithDeclaredSize(const Bytes& file, int width, int height, bool singleSampling = false);

// A genuine file of 2 or 5 to 10 components without a colour space (libjpeg's JCS_UNKNOWN), made by libjpeg.
Bytes MakeComponentsJpeg(int components, int width, int height);

// An EXIF segment (APP1) with an orientation tag, to insert after the SOI marker.
Bytes ExifOrientation(int orientation);

// The first bytes of a PNG file.
Bytes PngSignature();

}  // namespace edits
