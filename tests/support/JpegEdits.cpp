#include "JpegEdits.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "JpegFixtures.h"

namespace edits {

namespace {

bool Standalone(int code)
{
    return code == 0xD8 || code == 0xD9 || code == 0x01 || (code >= 0xD0 && code <= 0xD7);
}

bool IsFrame(int code)
{
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

}  // namespace

std::vector<Marker> Markers(const Bytes& file)
{
    std::vector<Marker> markers;
    std::size_t pos = 0;
    while (pos + 1 < file.size() && file[pos] == 0xFF) {
        const std::size_t start = pos;
        while (pos < file.size() && file[pos] == 0xFF)
            ++pos;
        if (pos >= file.size())
            break;
        const int code = file[pos++];
        if (!Standalone(code)) {
            if (pos + 2 > file.size())
                break;
            pos += static_cast<std::size_t>(file[pos] << 8 | file[pos + 1]);
        }
        markers.push_back({code, start, std::min(pos, file.size()) - start});
        if (code == 0xD9)
            break;
        if (code == 0xDA || (code >= 0xD0 && code <= 0xD7))
            while (pos + 1 < file.size() &&
                   !(file[pos] == 0xFF && file[pos + 1] != 0x00 && !(file[pos + 1] >= 0xD0 && file[pos + 1] <= 0xD7)))
                ++pos;
    }
    return markers;
}

Marker Find(const Bytes& file, int code, int nth)
{
    for (const Marker& marker : Markers(file))
        if (marker.code == code && nth-- == 0)
            return marker;
    ADD_FAILURE() << "no marker " << std::hex << code;
    return {};
}

Marker FindFrame(const Bytes& file)
{
    for (const Marker& marker : Markers(file))
        if (IsFrame(marker.code))
            return marker;
    ADD_FAILURE() << "no frame header";
    return {};
}

Bytes CutBefore(const Bytes& file, const Marker& marker)
{
    return Bytes(file.begin(), file.begin() + static_cast<long>(marker.offset));
}

Bytes Remove(const Bytes& file, const Marker& marker)
{
    Bytes result(file.begin(), file.begin() + static_cast<long>(marker.offset));
    result.insert(result.end(), file.begin() + static_cast<long>(marker.offset + marker.length), file.end());
    return result;
}

Bytes InsertAt(const Bytes& file, std::size_t offset, const Bytes& bytes)
{
    Bytes result = file;
    result.insert(result.begin() + static_cast<long>(offset), bytes.begin(), bytes.end());
    return result;
}

void PutBigEndian16(Bytes& file, std::size_t offset, int value)
{
    file.at(offset) = static_cast<std::uint8_t>(value >> 8);
    file.at(offset + 1) = static_cast<std::uint8_t>(value);
}

Bytes WithDeclaredSize(const Bytes& file, int width, int height, bool singleSampling)
{
    Bytes result = file;
    const Marker frame = FindFrame(result);
    PutBigEndian16(result, frame.offset + kFrameHeight, height);
    PutBigEndian16(result, frame.offset + kFrameWidth, width);
    if (singleSampling)
        for (int i = 0; i < result[frame.offset + kFrameComponents]; ++i)
            result[frame.offset + kFrameFirstComponent + 3 * std::size_t(i) + 1] = 0x11;
    return result;
}

Bytes MakeComponentsJpeg(int components, int width, int height)
{
    fixtures::JpegRecipe recipe = fixtures::Recipe(width, height, fixtures::Colour::Unknown);
    recipe.components = components;
    recipe.pixel = [components, width](int x, int y, std::uint8_t* samples) {
        for (int c = 0; c < components; ++c)
            samples[c] = static_cast<std::uint8_t>(((y * width + x) * components + c) * 7);
    };
    return fixtures::MakeJpeg(recipe);
}

Bytes ExifOrientation(int orientation)
{
    // APP1 "Exif", then a little-endian TIFF header with one IFD entry: tag 0x0112 (orientation), SHORT, 1.
    const Bytes tiff = {'I', 'I', 42, 0, 8, 0, 0, 0,  // header, IFD at offset 8
                        1, 0,                          // one entry
                        0x12, 0x01, 3, 0, 1, 0, 0, 0, static_cast<std::uint8_t>(orientation), 0, 0, 0,
                        0, 0, 0, 0};                   // no next IFD
    const Bytes header = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    Bytes segment(header.size() + tiff.size());
    std::copy(header.begin(), header.end(), segment.begin());
    std::copy(tiff.begin(), tiff.end(), segment.begin() + long(header.size()));
    PutBigEndian16(segment, 2, static_cast<int>(segment.size() - 2));
    return segment;
}

Bytes PngSignature()
{
    return {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
            0, 0, 0, 16, 0, 0, 0, 16, 8, 2, 0, 0, 0, 0x90, 0x91, 0x68, 0x36};
}

}  // namespace edits
