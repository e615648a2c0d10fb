#include "imaging/JpegMemorySource.h"

#include <algorithm>

#include <jerror.h>

namespace {

JpegMemorySource& SourceOf(j_decompress_ptr cinfo)
{
    return *reinterpret_cast<JpegMemorySource*>(cinfo->src);
}

void InitSource(j_decompress_ptr cinfo)
{
    JpegMemorySource& source = SourceOf(cinfo);
    source.next = 0;
    source.filled = false;
    source.atEnd = false;
    source.pub.next_input_byte = nullptr;
    source.pub.bytes_in_buffer = 0;
}

boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    JpegMemorySource& source = SourceOf(cinfo);
    if (source.next < source.size) {
        const std::size_t count = std::min(JpegMemorySource::kFillBytes, source.size - source.next);
        source.pub.next_input_byte = source.data + source.next;
        source.pub.bytes_in_buffer = count;
        source.next += count;
        source.filled = true;
        return TRUE;
    }
    if (!source.filled)
        ERREXIT(cinfo, JERR_INPUT_EMPTY);
    // The data ran out: end the picture here and let libjpeg's recovery fill what is missing.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    source.endOfImage[0] = 0xFF;
    source.endOfImage[1] = JPEG_EOI;
    source.pub.next_input_byte = source.endOfImage;
    source.pub.bytes_in_buffer = 2;
    source.atEnd = true;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long byteCount)
{
    if (byteCount <= 0)
        return;
    JpegMemorySource& source = SourceOf(cinfo);
    const auto count = static_cast<std::size_t>(byteCount);
    if (count <= source.pub.bytes_in_buffer) {
        source.pub.next_input_byte += count;
        source.pub.bytes_in_buffer -= count;
        return;
    }
    // A skip beyond what libjpeg holds moves within the memory copy directly, and at most to its end; the next
    // fill then starts there (or supplies the end-of-image marker).
    if (!source.atEnd) {
        const std::size_t position = source.next - source.pub.bytes_in_buffer;
        source.next = count >= source.size - position ? source.size : position + count;
    }
    source.pub.next_input_byte = nullptr;
    source.pub.bytes_in_buffer = 0;
}

void TermSource(j_decompress_ptr) {}

}  // namespace

void AttachJpegMemorySource(j_decompress_ptr cinfo, JpegMemorySource& source, const std::uint8_t* data,
                            std::size_t size)
{
    source.pub.init_source = InitSource;
    source.pub.fill_input_buffer = FillInputBuffer;
    source.pub.skip_input_data = SkipInputData;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = TermSource;
    source.pub.next_input_byte = nullptr;
    source.pub.bytes_in_buffer = 0;
    source.data = data;
    source.size = size;
    source.next = 0;
    source.filled = false;
    source.atEnd = false;
    cinfo->src = &source.pub;
}
