#include "imaging/JpegHeader.h"

#include "imaging/JpegDecompressor.h"

JpegHeader ReadJpegHeader(const std::uint8_t* data, std::size_t size)
{
    JpegDecompressor decompressor(data, size);
    const jpeg_decompress_struct& info = decompressor.Info();
    JpegHeader header;
    // libjpeg refuses sides above 65500, so both fit an int.
    header.width = static_cast<int>(info.image_width);
    header.height = static_cast<int>(info.image_height);
    header.multipleScans = decompressor.HasMultipleScans();
    return header;
}
