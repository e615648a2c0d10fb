#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "imaging/JpegErrorManager.h"

struct JpegDecompressorState;

// One libjpeg decompressor over a JPEG file held in memory. The constructor creates it and reads the headers up
// to the first scan; the destructor destroys it, however the work in between ended. Each libjpeg call runs
// through Run, so that an error comes back to our own frame and only there becomes an exception.
class JpegDecompressor {
public:
    // Raises EJPEG or EOutOfMemory when libjpeg refuses the headers.
    JpegDecompressor(const std::uint8_t* data, std::size_t size);
    ~JpegDecompressor();
    JpegDecompressor(const JpegDecompressor&) = delete;
    JpegDecompressor& operator=(const JpegDecompressor&) = delete;

    jpeg_decompress_struct& Info();

    // Runs step(context), which may call libjpeg, then raises what libjpeg reported. The step must be C-style:
    // it holds no object with a destructor and throws nothing, because libjpeg's error exit jumps out of it.
    void Run(void (*step)(void* context), void* context);

    bool HasMultipleScans();
    void CalcOutputDimensions();
    void StartDecompress();
    void FinishDecompress();

private:
    std::unique_ptr<JpegDecompressorState> state_;
};
