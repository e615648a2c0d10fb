#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

// libjpeg's input from a JPEG file already held in memory. libjpeg reads it from the first byte in fills of at
// most JpegMemorySource::kFillBytes; at the end of the data the source supplies an end-of-image marker, so a
// file cut short decodes as far as it goes.
struct JpegMemorySource {
    static constexpr std::size_t kFillBytes = 4096;

    jpeg_source_mgr pub;  // first, so that libjpeg's source pointer is also ours
    const JOCTET* data;
    std::size_t size;
    std::size_t next;     // offset of the first byte not yet handed to libjpeg
    bool filled;          // whether libjpeg has asked for data since the source was (re)started
    bool atEnd;           // whether libjpeg now holds the inserted end-of-image marker
    JOCTET endOfImage[2];
};

// Makes source the input of cinfo, reading size bytes from data. Calls no libjpeg function, so it may run
// anywhere; the data must outlive the decompressor's use of it.
void AttachJpegMemorySource(j_decompress_ptr cinfo, JpegMemorySource& source, const std::uint8_t* data,
                            std::size_t size);
